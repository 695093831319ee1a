#include "sources/ScriptedSlcanAdapter.h"

#include <poll.h>
#include <unistd.h>

namespace vexmoor::test {

namespace {

constexpr int kPollIntervalMs = 10;

} // namespace

std::string ScriptedSlcanAdapter::willingAdapter(std::string_view command)
{
    return command == "C" ? "\a" : "\r";
}

ScriptedSlcanAdapter::ScriptedSlcanAdapter(PseudoTerminal& line, Script script)
    : m_line(line)
    , m_script(std::move(script))
    , m_thread([this] { serve(); })
{
}

ScriptedSlcanAdapter::~ScriptedSlcanAdapter()
{
    stop();
}

void ScriptedSlcanAdapter::stop()
{
    m_stopping = true;
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<std::string> ScriptedSlcanAdapter::commands() const
{
    const std::lock_guard lock(m_mutex);
    return m_commands;
}

void ScriptedSlcanAdapter::serve()
{
    pollfd watched { m_line.masterDescriptor(), POLLIN, 0 };
    char buffer[256];
    while (!m_stopping) {
        if (::poll(&watched, 1, kPollIntervalMs) <= 0 || (watched.revents & POLLIN) == 0)
            continue;
        const auto count = ::read(watched.fd, buffer, sizeof buffer);
        if (count <= 0)
            continue;
        m_pending.append(buffer, static_cast<std::size_t>(count));
        for (auto end = m_pending.find('\r'); end != std::string::npos; end = m_pending.find('\r')) {
            const std::string command = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            {
                const std::lock_guard lock(m_mutex);
                m_commands.push_back(command);
            }
            if (const std::string answer = m_script(command); !answer.empty())
                m_line.write(answer);
        }
    }
}

} // namespace vexmoor::test
