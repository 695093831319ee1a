#pragma once

#include "capture/record/CanFrame.h"

#include <optional>
#include <string>
#include <string_view>

namespace vexmoor {

// The companion board's record text of a frame, and back: "<" decimal identifier "," then each data
// byte in decimal followed by ",", then ">". Every frame that reaches the message table travels as
// this text, whatever its source, so that one ingestion step decides what it means.
class BoardRecord final {
public:
    // The record text without a line end; a remote frame, or one without data, is "<id,>". The text
    // tells standard from extended identifiers by the number of digits, so an extended identifier
    // below 10000 is written with zeros in front up to five digits ("<00256,>").
    static void appendRecordText(const CanFrame& frame, std::string& out);
    static std::string recordText(const CanFrame& frame);

    // The frame a record text stands for, or nothing when it is no CAN frame. The identifier is the
    // text between "<" and the first ","; 1 to 4 digits is a standard identifier (at most 0x7FF), 5 to
    // 9 digits an extended one (at most 0x1FFFFFFF), leading zeros counting as digits. Spaces may stand
    // around the identifier and every field; each data field is a decimal number 0..255, at most 8 of
    // them. One empty field right before ">" is the board's trailing comma, not a field. The text holds
    // neither a remote flag nor a time, so the frame is never remote and its time stamp is 0.
    static std::optional<CanFrame> toFrame(std::string_view recordText);

    // The ASCII column of the frame's record text (record::assignAsciiText), made from the frame
    // without reading the text: every field that is a number up to 255 is a character, so the
    // identifier is one when it is that small, and then each data byte. Ingestion reads a record into
    // a frame once and takes its characters from there.
    static void assignAsciiText(const CanFrame& frame, std::string& asciiText);

private:
    static constexpr std::uint32_t kFirstFiveDigitNumber = 10000;
    static constexpr std::size_t kMaxStandardIdDigits = 4;
    static constexpr std::size_t kMaxExtendedIdDigits = 9;
};

} // namespace vexmoor
