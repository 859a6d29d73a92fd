// A small JSON reader for the files swfrender takes (event lists): values as a tree, with every
// read checked against the text's end and limits on nesting and size.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace swfrender {

class JsonValue {
public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue boolean(bool b);
    static JsonValue number(double n);
    static JsonValue string(std::string s);
    static JsonValue array(std::vector<JsonValue> items);
    static JsonValue object(std::vector<std::pair<std::string, JsonValue>> members);

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isString() const { return kind_ == Kind::String; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isObject() const { return kind_ == Kind::Object; }

    bool asBoolean() const { return boolean_; }
    double asNumber() const { return number_; }
    const std::string& asString() const { return string_; }
    const std::vector<JsonValue>& items() const { return items_; }
    // Object members in the order the text gives them.
    const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
    // The member of that name (the last one when the text repeats it), or null.
    const JsonValue* find(std::string_view name) const;

private:
    Kind kind_ = Kind::Null;
    bool boolean_ = false;
    double number_ = 0;
    std::string string_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

struct JsonLimits {
    int maxNesting = 64;
    size_t maxValues = 1'000'000;
};

// Parses the whole text as one JSON value. On failure returns nullopt and sets `error` to a
// message that names the line and column.
std::optional<JsonValue> parseJson(std::string_view text, std::string& error, JsonLimits limits = {});

}  // namespace swfrender
