#include "JsonText.h"

#include <charconv>
#include <cmath>

namespace {

void Indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

std::string Quoted(const std::string& text)
{
    // nlohmann's escaping; malformed UTF-8 (which the catalog never produces) becomes U+FFFD.
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Write(std::string& out, const Json& value, int depth)
{
    switch (value.type()) {
    case Json::value_t::object: {
        if (value.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            if (!first) out += ",\n";
            first = false;
            Indent(out, depth + 1);
            out += Quoted(key) + ": ";
            Write(out, member, depth + 1);
        }
        out += '\n';
        Indent(out, depth);
        out += '}';
        return;
    }
    case Json::value_t::array: {
        if (value.empty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (i) out += ",\n";
            Indent(out, depth + 1);
            Write(out, value[i], depth + 1);
        }
        out += '\n';
        Indent(out, depth);
        out += ']';
        return;
    }
    case Json::value_t::number_float:
        out += FloatText(value.get<float>());
        return;
    case Json::value_t::string:
        out += Quoted(value.get_ref<const std::string&>());
        return;
    default:
        out += value.dump();
        return;
    }
}

// Builds a Json tree from the parser's events. The parser works in double; the float of
// each number is taken from the number's own text, so it is the nearest float, never a
// double rounded a second time.
class TreeBuilder final : public nlohmann::json_sax<nlohmann::ordered_json> {
public:
    bool null() override { return Add(nullptr); }
    bool boolean(bool value) override { return Add(value); }
    bool number_integer(number_integer_t value) override { return Add(value); }
    bool number_unsigned(number_unsigned_t value) override { return Add(value); }
    bool number_float(number_float_t value, const string_t& text) override { return Add(NearestFloat(value, text)); }
    bool string(string_t& value) override { return Add(value); }
    bool binary(binary_t&) override { return false; } // JSON text has no binary values
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool key(string_t& key) override
    {
        m_key = key;
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        m_error = e.what();
        return false;
    }

    Json m_root;
    std::string m_error;

private:
    static float NearestFloat(double value, const std::string& text)
    {
        float number = 0.0f;
        auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (result.ec == std::errc()) return number;
        // Beyond the float range: an infinity that the import refuses; below it: as small.
        if (std::fabs(value) > 1.0) return value > 0 ? HUGE_VALF : -HUGE_VALF;
        return static_cast<float>(value);
    }

    // Only the innermost open container ever grows, so the pointers to the containers
    // that enclose it stay valid.
    Json* Insert(Json value)
    {
        if (m_open.empty()) {
            m_root = std::move(value);
            return &m_root;
        }
        Json& parent = *m_open.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& member = parent[m_key];
        member = std::move(value);
        return &member;
    }
    bool Add(Json value)
    {
        Insert(std::move(value));
        return true;
    }
    bool Open(Json container)
    {
        m_open.push_back(Insert(std::move(container)));
        return true;
    }
    bool Close()
    {
        m_open.pop_back();
        return true;
    }

    std::vector<Json*> m_open;
    std::string m_key;
};

} // namespace

Json ParseJsonText(const std::string& text)
{
    TreeBuilder builder;
    if (!nlohmann::ordered_json::sax_parse(text, &builder)) {
        throw JsonSyntaxError(builder.m_error.empty() ? "not valid JSON" : builder.m_error);
    }
    return std::move(builder.m_root);
}

std::string FloatText(float value)
{
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string ToJsonText(const Json& value)
{
    std::string out;
    Write(out, value, 0);
    out += '\n';
    return out;
}
