#pragma once

#include "serial/PseudoTerminal.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vexmoor::test {

// An slcan adapter at the far end of a pseudo-terminal, answering each command the program writes
// as the test's script says, on its own thread, because the program's opening waits for the answers.
class ScriptedSlcanAdapter final {
public:
    // The bytes to write back for a command (without its CR): "\r" accepts, "\a" refuses, "" is
    // silence.
    using Script = std::function<std::string(std::string_view command)>;

    // Accepts everything but a close while closed, as a real adapter does.
    static std::string willingAdapter(std::string_view command);

    ScriptedSlcanAdapter(PseudoTerminal& line, Script script);
    ~ScriptedSlcanAdapter();
    ScriptedSlcanAdapter(const ScriptedSlcanAdapter&) = delete;
    ScriptedSlcanAdapter& operator=(const ScriptedSlcanAdapter&) = delete;

    // The commands heard so far, in order.
    std::vector<std::string> commands() const;
    // Ends the thread; afterwards the test may write to the line itself or hang it up.
    void stop();

private:
    void serve();

    PseudoTerminal& m_line;
    Script m_script;
    std::atomic<bool> m_stopping = false;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::string m_pending;
    std::thread m_thread;
};

} // namespace vexmoor::test
