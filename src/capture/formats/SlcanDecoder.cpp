#include "capture/formats/SlcanDecoder.h"

#include "capture/record/HexText.h"

namespace vexmoor {

namespace {

constexpr char kEndOfMessage = '\r';
constexpr char kRefusal = '\x07';
// A message ends at CR; a BEL ends it too, as a refusal.
constexpr char kTerminatorText[] = { kEndOfMessage, kRefusal };
constexpr std::string_view kTerminators(kTerminatorText, sizeof(kTerminatorText));
constexpr std::size_t kStandardIdDigits = 3;
constexpr std::size_t kExtendedIdDigits = 8;
constexpr std::size_t kTimestampDigits = 4;
constexpr std::int64_t kMicrosecondsPerMillisecond = 1000;
constexpr std::int64_t kWrapUs = SlcanDecoder::kTimestampWrapMs * kMicrosecondsPerMillisecond;

} // namespace

void SlcanDecoder::feed(std::string_view bytes, std::int64_t arrivalUs, const FrameHandler& handler)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of(kTerminators, start);
        if (end == std::string_view::npos) {
            carry(bytes.substr(start));
            return;
        }
        const std::string_view part = bytes.substr(start, end - start);
        if (m_carried.active()) {
            carry(part);
            if (!m_carried.tooLong())
                readMessage(m_carried.line(), bytes[end], arrivalUs, handler);
            m_carried.clear();
        } else {
            readMessage(part, bytes[end], arrivalUs, handler);
        }
        start = end + 1;
    }
}

std::optional<SlcanDecoder::Answer> SlcanDecoder::takeAnswer()
{
    if (m_answers.empty())
        return std::nullopt;
    const Answer oldest = m_answers.front();
    m_answers.pop_front();
    return oldest;
}

void SlcanDecoder::carry(std::string_view part)
{
    // Counted now, since the rest of the message, however long, is passed over unread.
    if (m_carried.add(part))
        ++m_malformedMessages;
}

void SlcanDecoder::answer(Answer answer)
{
    if (m_answers.size() == kMaxPendingAnswers)
        m_answers.pop_front();
    m_answers.push_back(answer);
}

void SlcanDecoder::readMessage(std::string_view message, char terminator, std::int64_t arrivalUs,
                               const FrameHandler& handler)
{
    if (message.size() > kMaxMessageLength) {
        ++m_malformedMessages;
        return;
    }
    // Some adapters end their messages with CR LF: the LF then starts the next message.
    while (!message.empty() && message.front() == '\n')
        message.remove_prefix(1);

    if (terminator == kRefusal) {
        // Only a BEL on its own is the adapter's answer; one after other text ends a broken message.
        if (message.empty()) {
            ++m_refusals;
            answer(Answer::Refused);
        } else {
            ++m_malformedMessages;
        }
        return;
    }
    if (message.empty()) {
        ++m_acknowledgements;
        answer(Answer::Ok);
        return;
    }
    // The adapter's acknowledgement of a frame it was given to send. This program sends none, so it
    // is no answer to any command of the opening, but it is no fault of the line either.
    if (message == "z" || message == "Z")
        return;

    CanFrame frame;
    if (!readFrame(message, arrivalUs, frame)) {
        ++m_malformedMessages;
        return;
    }
    ++m_frames;
    handler(frame);
}

bool SlcanDecoder::readFrame(std::string_view message, std::int64_t arrivalUs, CanFrame& frame)
{
    switch (message.front()) {
    case 't':
        break;
    case 'T':
        frame.extended = true;
        break;
    case 'r':
        frame.remote = true;
        break;
    case 'R':
        frame.extended = true;
        frame.remote = true;
        break;
    default:
        return false;
    }
    message.remove_prefix(1);

    const std::size_t idDigits = frame.extended ? kExtendedIdDigits : kStandardIdDigits;
    if (message.size() < idDigits + 1 || !hex::readNumber(message.substr(0, idDigits), frame.id)
        || frame.id > (frame.extended ? CanFrame::kMaxExtendedId : CanFrame::kMaxStandardId))
        return false;
    const char lengthDigit = message[idDigits];
    if (lengthDigit < '0' || lengthDigit > '0' + CanFrame::kMaxClassicLength)
        return false;
    frame.length = static_cast<std::uint8_t>(lengthDigit - '0');
    message.remove_prefix(idDigits + 1);

    // A remote frame's length is the length it asks for; it carries no data.
    const std::size_t dataDigits = frame.remote ? 0 : 2 * std::size_t { frame.length };
    if (message.size() != dataDigits && message.size() != dataDigits + kTimestampDigits)
        return false;
    std::size_t count = 0;
    if (!hex::readBytes(message.substr(0, dataDigits), frame.data.data(), CanFrame::kMaxClassicLength, count))
        return false;
    message.remove_prefix(dataDigits);

    if (message.empty()) {
        frame.timestampUs = arrivalUs;
        return true;
    }
    std::uint32_t timestampMs = 0;
    if (!hex::readNumber(message, timestampMs) || timestampMs >= kTimestampWrapMs)
        return false;
    frame.timestampUs = unwrap(timestampMs, arrivalUs);
    return true;
}

// The adapter's clock counts milliseconds modulo 60 s; the frame's time is that clock laid on the
// arrival clock. The first stamped frame takes its arrival time. Every later one lies the adapter's
// milliseconds since the last stamped frame after it, counted modulo 60 s: a smaller value than the
// last means the clock wrapped once. When the arrival times lie further apart than that (a bus that
// was quiet for minutes), the whole wraps nearest to the rest of the arrival gap are added too.
// Nearest rather than only those that fit whole: the arrival times carry the port's buffering, so a
// frame after a pause of exactly one wrap may arrive a few milliseconds early and must not lose a
// minute for it. The adapter's value decides everything below a wrap, so arrival jitter up to half a
// wrap either way never moves a frame.
std::int64_t SlcanDecoder::unwrap(std::uint32_t timestampMs, std::int64_t arrivalUs)
{
    if (m_haveTimestamp) {
        const std::int64_t stepMs
            = (std::int64_t { timestampMs } - std::int64_t { m_lastTimestampMs } + kTimestampWrapMs) % kTimestampWrapMs;
        std::int64_t elapsedUs = stepMs * kMicrosecondsPerMillisecond;
        const std::int64_t unexplainedUs = arrivalUs - m_lastArrivalUs - elapsedUs;
        if (unexplainedUs > 0)
            elapsedUs += (unexplainedUs + kWrapUs / 2) / kWrapUs * kWrapUs;
        m_lastUnwrappedUs += elapsedUs;
    } else {
        m_haveTimestamp = true;
        m_lastUnwrappedUs = arrivalUs;
    }
    m_lastTimestampMs = timestampMs;
    m_lastArrivalUs = arrivalUs;
    return m_lastUnwrappedUs;
}

} // namespace vexmoor
