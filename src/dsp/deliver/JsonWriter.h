// JSON text written value by value, indented two spaces: commas, quotes and escapes are
// the writer's business, never the caller's. Numbers do not depend on the locale; a number
// that is not finite is written as null.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the open object.
    void Key(const std::string& name);

    // Bytes that are not UTF-8 (a file name can hold any) are written as the escapes
    // \udc80 to \udcff, the "surrogateescape" form from which Python's os.fsencode gives
    // the bytes back.
    void String(const std::string& text);
    // `decimals` < 0: the shortest text that reads back as the same double.
    void Number(double value, int decimals = -1);
    void Integer(std::int64_t value);
    void Bool(bool value);
    void Null();

    // A member of the open object: its name, then its value.
    void String(const std::string& name, const std::string& text);
    void Number(const std::string& name, double value, int decimals = -1);
    void Integer(const std::string& name, std::int64_t value);
    void Bool(const std::string& name, bool value);

    // The text so far; whole once every object and array is ended.
    const std::string& Text() const { return m_text; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void NewLine();

    std::string m_text;
    std::vector<bool> m_hasMembers;  // per open object or array
    bool m_afterKey = false;
};

}  // namespace vq
