// Bounded little-endian reading of resource data. Every read checks the
// remaining length; a failed read leaves the reader failed and returns 0, so
// parsers check ok() once after a group of reads.
#pragma once

#include "platform/text.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qv::platform {

class ByteReader {
public:
    explicit ByteReader(std::span<const BYTE> data) : data_(data) {}

    bool ok() const { return ok_; }
    std::size_t offset() const { return pos_; }
    std::size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    const BYTE* here() const { return data_.data() + pos_; }

    BYTE u8() { return static_cast<BYTE>(take(1)); }
    WORD u16() { return static_cast<WORD>(take(2)); }
    DWORD u32() { return static_cast<DWORD>(take(4)); }
    SHORT i16() { return static_cast<SHORT>(u16()); }

    bool skip(std::size_t count) {
        if (!ok_ || count > data_.size() - pos_)
            return ok_ = false;
        pos_ += count;
        return true;
    }
    bool seek(std::size_t offset) {
        if (!ok_ || offset > data_.size())
            return ok_ = false;
        pos_ = offset;
        return true;
    }
    // Moves to the next multiple of 4 from the start; the end of the data
    // counts as aligned, since trailing padding may be cut off.
    void alignDword() {
        const std::size_t aligned = (pos_ + 3) & ~std::size_t(3);
        pos_ = aligned < data_.size() ? aligned : data_.size();
    }
    std::span<const BYTE> bytes(std::size_t count) {
        if (!ok_ || count > data_.size() - pos_) {
            ok_ = false;
            return {};
        }
        auto out = data_.subspan(pos_, count);
        pos_ += count;
        return out;
    }
    // A zero-terminated UTF-16 string, converted to UTF-8.
    std::string wideString() {
        std::u16string units;
        for (;;) {
            const WORD unit = u16();
            if (!ok_ || unit == 0)
                break;
            units.push_back(static_cast<char16_t>(unit));
        }
        return qv::text::Utf16ToUtf8(units);
    }

private:
    std::uint64_t take(std::size_t count) {
        if (!ok_ || count > data_.size() - pos_) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i)
            value |= std::uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += count;
        return value;
    }

    std::span<const BYTE> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace qv::platform
