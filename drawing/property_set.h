// OLE property-set streams: the stream header, its sections (each with its
// own code page and dictionary) and their typed values. Every offset, size
// and count is checked against the stream; a damaged property is left out
// and the rest of its section kept.
#ifndef PELUND_DRAWING_PROPERTY_SET_H
#define PELUND_DRAWING_PROPERTY_SET_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelund {

enum : uint32_t {
    VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5, VT_BSTR = 8,
    VT_BOOL = 11, VT_LPSTR = 30, VT_LPWSTR = 31, VT_FILETIME = 64, VT_BLOB = 65, VT_CF = 71,
    VT_VECTOR = 0x1000, VT_ARRAY = 0x2000, VT_BYREF = 0x4000,
};

constexpr unsigned kUtf16CodePage = 1200;

// A format identifier as the stream stores it (little-endian fields).
using FormatId = std::array<uint8_t, 16>;

// "F29F85E0-4FF9-1068-AB91-08002B27B3D9" in stored form.
FormatId formatIdOf(std::string_view text);

struct PropertyValue {
    uint32_t type = VT_EMPTY;  // with its vector, array and by-reference flags
    int64_t integer = 0;       // VT_I2, VT_I4, VT_BOOL
    double real = 0;           // VT_R4, VT_R8
    uint64_t filetime = 0;     // VT_FILETIME
    std::u16string text;       // VT_BSTR, VT_LPWSTR; VT_LPSTR of a UTF-16 section
    std::string bytes;         // VT_LPSTR of an 8-bit section, as stored
};

struct Property {
    uint32_t id;
    PropertyValue value;
};

struct PropertySection {
    FormatId formatId{};
    unsigned codePage = 0;                                   // property 1; 0 when absent
    std::vector<Property> properties;                        // without 0 and 1
    std::vector<std::pair<uint32_t, std::u16string>> names;  // the dictionary (property 0)
};

// The sections of the stream BYTES; false when its header or list of
// sections is damaged. A section whose own header is damaged is left out.
bool parsePropertySetStream(std::string_view bytes, std::vector<PropertySection>* sections);

// Writing, for the tests and the sample drawing: one section's properties as
// type and stored value bytes (what follows the type and its padding).
struct StoredProperty {
    uint32_t id;
    uint16_t type;
    std::string value;
};

struct StoredSection {
    FormatId formatId{};
    std::vector<StoredProperty> properties;  // code page and dictionary included
};

std::string propertySetStream(const std::vector<StoredSection>& sections);

// Stored value bytes of the common types.
std::string storedI2(int16_t v);
std::string storedI4(int32_t v);
std::string storedR8(double v);
std::string storedBool(bool v);
std::string storedFiletime(uint64_t ticks);
std::string storedCodePageString(std::string_view bytes);  // VT_LPSTR, VT_BSTR: adds the NUL
std::string storedUnicodeString(std::u16string_view text);  // VT_LPWSTR: adds the NUL
std::string storedDictionary(const std::vector<std::pair<uint32_t, std::string>>& names);  // 8-bit

}  // namespace pelund

#endif
