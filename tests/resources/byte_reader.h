// Little-endian fields out of a resource's bytes, as the platform reads them.
// Reading past the end yields zeros and marks the reader, so that a short or
// misaligned resource fails a comparison instead of reading stray memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteReader {
public:
    explicit ByteReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

    std::uint8_t Byte() { return pos_ < bytes_.size() ? bytes_[pos_++] : Overrun(); }
    std::uint16_t Word() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | Byte() << 8);
    }
    std::uint32_t Dword() {
        const std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    std::int16_t Short() { return static_cast<std::int16_t>(Word()); }

    // A zero-terminated UTF-16 string.
    std::wstring WideString() {
        std::wstring text;
        while (std::uint16_t c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    // A dialog template's name-or-ordinal field: "" for none, "#n" for an ordinal.
    std::wstring NameOrOrdinal() {
        const std::uint16_t first = Word();
        if (first == 0) return L"";
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        return static_cast<wchar_t>(first) + WideString();
    }
    std::vector<unsigned char> Bytes(std::size_t count) {
        std::vector<unsigned char> out;
        for (std::size_t i = 0; i < count; ++i) out.push_back(Byte());
        return out;
    }
    // Resources start on a DWORD boundary, so offsets align the same way.
    void AlignDword() { pos_ = (pos_ + 3) & ~static_cast<std::size_t>(3); }

    std::size_t offset() const { return pos_; }
    bool overrun() const { return overrun_; }

private:
    std::uint8_t Overrun() {
        overrun_ = true;
        return 0;
    }

    const std::vector<unsigned char>& bytes_;
    std::size_t pos_ = 0;
    bool overrun_ = false;
};
