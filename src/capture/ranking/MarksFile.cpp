#include "capture/ranking/MarksFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vexmoor {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Seconds as a decimal number, read into whole microseconds without going through a double's
// rounding for the integral part: epoch seconds have more digits than a double keeps exactly.
bool readSeconds(std::string_view text, std::int64_t& timeUs)
{
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view {} : text.substr(point + 1);
    if (whole.empty() || whole.size() > 12 || fraction.size() > 9)
        return false;
    std::int64_t seconds = 0;
    if (std::from_chars(whole.data(), whole.data() + whole.size(), seconds).ptr != whole.data() + whole.size()
        || seconds < 0)
        return false;
    std::int64_t micros = 0;
    for (std::size_t digit = 0; digit < 6; ++digit) {
        const char c = digit < fraction.size() ? fraction[digit] : '0';
        if (c < '0' || c > '9')
            return false;
        micros = micros * 10 + (c - '0');
    }
    for (std::size_t digit = 6; digit < fraction.size(); ++digit) {
        if (fraction[digit] < '0' || fraction[digit] > '9')
            return false;
    }
    timeUs = seconds * 1'000'000 + micros;
    return true;
}

std::string lineError(std::size_t number, std::string_view line)
{
    return "line " + std::to_string(number) + ": \"" + std::string(line)
        + "\" is no mark (a time in seconds, then optionally # and a note)";
}

} // namespace

MarksFile::Parsed MarksFile::parse(std::string_view text)
{
    Parsed parsed;
    std::size_t number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view {} : text.substr(end + 1);
        ++number;
        const std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#')
            continue;
        const auto hash = content.find('#');
        Mark mark;
        if (!readSeconds(trimmed(content.substr(0, hash)), mark.timeUs)) {
            parsed.error = lineError(number, trimmed(line));
            parsed.marks.clear();
            return parsed;
        }
        if (hash != std::string_view::npos)
            mark.note = std::string(trimmed(content.substr(hash + 1)));
        parsed.marks.push_back(std::move(mark));
    }
    return parsed;
}

MarksFile::Parsed MarksFile::read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Parsed failed;
        failed.error = "cannot read " + path.string();
        return failed;
    }
    std::ostringstream content;
    content << in.rdbuf();
    Parsed parsed = parse(content.str());
    if (!parsed.error.empty())
        parsed.error = path.string() + ", " + parsed.error;
    return parsed;
}

std::string MarksFile::line(const Mark& mark)
{
    char seconds[40];
    const std::int64_t whole = mark.timeUs >= 0 ? mark.timeUs / 1'000'000 : -((-mark.timeUs + 999'999) / 1'000'000);
    const std::int64_t micros = mark.timeUs - whole * 1'000'000;
    std::snprintf(seconds, sizeof seconds, "%lld.%06lld", static_cast<long long>(whole),
                  static_cast<long long>(micros));
    std::string text = seconds;
    // A note is one line: its line ends would make lines of their own.
    std::string note = mark.note;
    for (char& c : note) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    if (!note.empty())
        text += " # " + note;
    return text + '\n';
}

std::string MarksFile::text(const std::vector<Mark>& marks)
{
    std::string text;
    for (const Mark& mark : marks)
        text += line(mark);
    return text;
}

} // namespace vexmoor
