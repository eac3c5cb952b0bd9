#include "drawing/property_set.h"

#include <algorithm>
#include <cstring>

#include "platform/code_page.h"

namespace pelund {
namespace {

constexpr size_t kMostSections = 16;

// Little-endian reads bounded by the section (or stream) they lie in.
class Reader {
public:
    Reader(std::string_view bytes, size_t at) : bytes_(bytes), at_(at) {}

    bool u16(uint16_t& v) { return take(&v, 2); }
    bool u32(uint32_t& v) { return take(&v, 4); }
    bool u64(uint64_t& v) { return take(&v, 8); }
    bool raw(void* out, size_t n) { return take(out, n); }
    // A stored T, widened into OUT.
    template <class T, class To>
    bool as(To& out)
    {
        T x;
        if (!take(&x, sizeof x))
            return false;
        out = To(x);
        return true;
    }
    bool view(size_t n, std::string_view& out)
    {
        if (!fits(n))
            return false;
        out = bytes_.substr(at_, n);
        at_ += n;
        return true;
    }
    bool skip(size_t n)
    {
        if (!fits(n))
            return false;
        at_ += n;
        return true;
    }
    size_t at() const { return at_; }

private:
    bool fits(size_t n) const { return at_ <= bytes_.size() && n <= bytes_.size() - at_; }
    bool take(void* out, size_t n)
    {
        if (!fits(n))
            return false;
        // The format is little-endian, as is every machine this builds for.
        std::memcpy(out, bytes_.data() + at_, n);
        at_ += n;
        return true;
    }

    std::string_view bytes_;
    size_t at_;
};

std::u16string utf16UpToNul(std::string_view bytes)
{
    std::u16string out;
    for (size_t k = 0; k + 1 < bytes.size(); k += 2) {
        char16_t c = char16_t((unsigned char)bytes[k] | ((unsigned char)bytes[k + 1] << 8));
        if (!c)
            break;
        out.push_back(c);
    }
    return out;
}

std::string_view upToNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

bool readValue(Reader& r, unsigned codePage, PropertyValue& v)
{
    uint16_t type, padding;
    if (!r.u16(type) || !r.u16(padding))
        return false;
    v.type = type;
    if (type & (VT_VECTOR | VT_ARRAY | VT_BYREF))
        return true;  // shown by their flags alone
    switch (type) {
    case VT_I2:
        return r.as<int16_t>(v.integer);
    case VT_I4:
        return r.as<int32_t>(v.integer);
    case VT_BOOL:
        return r.as<uint16_t>(v.integer);
    case VT_R4:
        return r.as<float>(v.real);
    case VT_R8:
        return r.as<double>(v.real);
    case VT_FILETIME:
        return r.u64(v.filetime);
    case VT_BSTR:
    case VT_LPSTR: {
        uint32_t size;
        std::string_view data;
        if (!r.u32(size) || !r.view(size, data))
            return false;
        if (codePage == kUtf16CodePage)
            v.text = utf16UpToNul(data);
        else if (type == VT_BSTR)
            v.text = windowsCodePageToUtf16(upToNul(data), codePage);
        else
            v.bytes = std::string(upToNul(data));
        return true;
    }
    case VT_LPWSTR: {
        uint32_t length;
        std::string_view data;
        if (!r.u32(length) || length > UINT32_MAX / 2 || !r.view(size_t(length) * 2, data))
            return false;
        v.text = utf16UpToNul(data);
        return true;
    }
    case VT_BLOB:
    case VT_CF: {
        uint32_t size;
        return r.u32(size) && r.skip(size);
    }
    default:
        return true;
    }
}

// Entries read before a damaged one are kept.
void readDictionary(Reader r, unsigned codePage, PropertySection& section)
{
    uint32_t count;
    if (!r.u32(count))
        return;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t id, length;
        std::string_view name;
        if (!r.u32(id) || !r.u32(length))
            return;
        if (codePage == kUtf16CodePage) {
            if (length > UINT32_MAX / 2 || !r.view(size_t(length) * 2, name))
                return;
            section.names.emplace_back(id, utf16UpToNul(name));
            size_t pad = (4 - (size_t(length) * 2) % 4) % 4;
            if (pad && !r.skip(pad) && k + 1 < count)
                return;
        } else {
            if (!r.view(length, name))
                return;
            section.names.emplace_back(id, windowsCodePageToUtf16(upToNul(name), codePage));
        }
    }
}

bool readSection(std::string_view stream, uint32_t offset, PropertySection& section)
{
    Reader head(stream, offset);
    uint32_t size, count;
    if (!head.u32(size) || !head.u32(count) || size < 8)
        return false;
    size = uint32_t(std::min<size_t>(size, stream.size() - offset));  // a section ends with its stream
    std::string_view bytes = stream.substr(offset, size);
    if (count > (size - 8) / 8)
        count = (size - 8) / 8;

    std::vector<std::pair<uint32_t, uint32_t>> entries(count);
    Reader list(bytes, 8);
    for (auto& [id, at] : entries)
        list.u32(id), list.u32(at);

    // The code page first: the strings and the dictionary depend on it.
    for (auto& [id, at] : entries) {
        PropertyValue v;
        Reader r(bytes, at);
        if (id == 1 && readValue(r, 0, v) && v.type == VT_I2)
            section.codePage = unsigned(uint16_t(v.integer));
    }
    for (auto& [id, at] : entries) {
        if (id == 0) {
            readDictionary(Reader(bytes, at), section.codePage, section);
            continue;
        }
        if (id == 1)
            continue;
        Property p{id, {}};
        Reader r(bytes, at);
        if (readValue(r, section.codePage, p.value))
            section.properties.push_back(std::move(p));
    }
    return true;
}

void put16(std::string& out, uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); }
void put32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }

void padTo4(std::string& out)
{
    while (out.size() % 4)
        out += '\0';
}

}  // namespace

FormatId formatIdOf(std::string_view text)
{
    // Data1 (4 bytes), Data2 and Data3 (2 each) are little-endian, the last 8 as written.
    FormatId id{};
    uint8_t plain[16] = {};
    size_t n = 0;
    for (size_t k = 0; k + 1 < text.size() && n < 16;) {
        if (text[k] == '-' || text[k] == '{' || text[k] == '}') {
            ++k;
            continue;
        }
        auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
        plain[n++] = uint8_t(digit(text[k]) * 16 + digit(text[k + 1]));
        k += 2;
    }
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int k = 0; k < 16; ++k)
        id[size_t(k)] = plain[order[k]];
    return id;
}

bool parsePropertySetStream(std::string_view bytes, std::vector<PropertySection>* sections)
{
    sections->clear();
    Reader r(bytes, 0);
    uint16_t byteOrder, version;
    uint32_t system, count;
    if (!r.u16(byteOrder) || byteOrder != 0xFFFE || !r.u16(version) || !r.u32(system) || !r.skip(16) ||
        !r.u32(count) || count == 0 || count > kMostSections)
        return false;
    std::vector<std::pair<FormatId, uint32_t>> list(count);
    for (auto& [id, offset] : list)
        if (!r.raw(id.data(), 16) || !r.u32(offset))
            return false;
    for (auto& [id, offset] : list) {
        PropertySection section;
        section.formatId = id;
        if (offset < bytes.size() && readSection(bytes, offset, section))
            sections->push_back(std::move(section));
    }
    return true;
}

std::string propertySetStream(const std::vector<StoredSection>& sections)
{
    std::string out;
    put16(out, 0xFFFE);
    put16(out, 0);
    put32(out, 0x00020006);
    out.append(16, '\0');
    put32(out, uint32_t(sections.size()));
    size_t listAt = out.size();
    out.append(sections.size() * 20, '\0');
    for (size_t s = 0; s < sections.size(); ++s) {
        padTo4(out);
        uint32_t start = uint32_t(out.size());
        std::memcpy(&out[listAt + s * 20], sections[s].formatId.data(), 16);
        std::memcpy(&out[listAt + s * 20 + 16], &start, 4);
        const auto& props = sections[s].properties;
        std::string body;
        std::string table;
        size_t valuesAt = 8 + props.size() * 8;
        for (const StoredProperty& p : props) {
            put32(table, p.id);
            put32(table, uint32_t(valuesAt + body.size()));
            if (p.id == 0) {
                body += p.value;  // a dictionary has no type field
            } else {
                put16(body, p.type);
                put16(body, 0);
                body += p.value;
            }
            padTo4(body);
        }
        std::string section;
        put32(section, uint32_t(valuesAt + body.size()));
        put32(section, uint32_t(props.size()));
        out += section + table + body;
    }
    return out;
}

std::string storedI2(int16_t v)
{
    std::string s(reinterpret_cast<const char*>(&v), 2);
    return s.append(2, '\0');
}
std::string storedI4(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string storedR8(double v) { return std::string(reinterpret_cast<const char*>(&v), 8); }
std::string storedBool(bool v) { return storedI2(v ? int16_t(-1) : int16_t(0)); }
std::string storedFiletime(uint64_t ticks) { return std::string(reinterpret_cast<const char*>(&ticks), 8); }

std::string storedCodePageString(std::string_view bytes)
{
    std::string out;
    put32(out, uint32_t(bytes.size() + 1));
    out.append(bytes);
    out += '\0';
    return out;
}

std::string storedUnicodeString(std::u16string_view text)
{
    std::string out;
    put32(out, uint32_t(text.size() + 1));
    for (char16_t c : text)
        put16(out, c);
    put16(out, 0);
    return out;
}

std::string storedDictionary(const std::vector<std::pair<uint32_t, std::string>>& names)
{
    std::string out;
    put32(out, uint32_t(names.size()));
    for (const auto& [id, name] : names) {
        put32(out, id);
        put32(out, uint32_t(name.size() + 1));
        out += name;
        out += '\0';
    }
    return out;
}

}  // namespace pelund
