#include "cli/json_parse.h"

#include "cli/terminal.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_set>
#include <vector>

namespace tk::cli {
namespace {

using Json = nlohmann::json;

// Russian reason for the parser's own (English) error text. The texts are the
// library's fixed messages; anything unforeseen still gets a Russian word.
const char* reasonFor(std::string_view what) {
    struct Match {
        std::string_view text;
        const char* reason;
    };
    static constexpr Match kMatches[] = {
        {"ill-formed UTF-8", "строка не в кодировке UTF-8"},
        {"missing closing quote", "строка не закрыта"},
        {"must be followed by 4 hex digits", "после \\u нужны четыре шестнадцатеричные цифры"},
        {"surrogate U+", "непарный суррогат UTF-16 (\\uD800-\\uDFFF без пары)"},
        {"forbidden character after backslash", "недопустимая escape-последовательность"},
        {"control character", "управляющий символ внутри строки (его нужно записать как \\u00XX)"},
        {"invalid number", "недопустимое число"},
        {"number overflow", "число вне допустимых пределов"},
        {"invalid literal", "недопустимое значение"},
        {"invalid BOM", "неверная метка порядка байтов"},
        {"unexpected end of input", "текст оборвался"},
        {"expected end of input", "лишние символы после конца документа"},
        {"while parsing object key", "ожидается ключ в кавычках"},
        {"while parsing object separator", "после ключа нет двоеточия"},
        {"while parsing object", "между полями нет запятой или объект не закрыт"},
        {"while parsing array", "между значениями нет запятой или массив не закрыт"},
        {"while parsing value", "ожидается значение"},
    };
    for (const Match& m : kMatches) {
        if (what.find(m.text) != std::string_view::npos) {
            return m.reason;
        }
    }
    return "ошибка разбора";
}

// Bytes of a token as the parser shows it: control characters there stand as
// "<U+001F>".
std::size_t tokenLength(std::string_view token) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < token.size(); ++length) {
        const bool shownControl =
            token.substr(i, 3) == "<U+" && i + 8 <= token.size() && token[i + 7] == '>';
        i += shownControl ? 8 : 1;
    }
    return length;
}

std::string joined(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

// Builds the Qt object from the parser's events, refusing duplicate keys and too deep
// nesting, and keeps the place of a failure for its message.
class Builder {
public:
    bool null() { return add(QJsonValue(QJsonValue::Null)); }
    bool boolean(bool v) { return add(QJsonValue(v)); }
    bool number_integer(std::int64_t v) { return add(QJsonValue(static_cast<qint64>(v))); }
    bool number_unsigned(std::uint64_t v) {
        if (v <= static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())) {
            return add(QJsonValue(static_cast<qint64>(v)));
        }
        return add(QJsonValue(static_cast<double>(v)));
    }
    bool number_float(double v, const std::string&) { return add(QJsonValue(v)); }
    bool string(std::string& s) {
        return add(QJsonValue(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()))));
    }
    bool binary(Json::binary_t&) { return false; } // JSON text has none
    bool start_object(std::size_t) { return push(false); }
    bool start_array(std::size_t) { return push(true); }
    bool end_object() { return pop(); }
    bool end_array() { return pop(); }

    bool key(std::string& k) {
        Frame& f = frames_.back();
        if (!f.keys.insert(k).second) {
            refusal_ = "ключ " + TerminalText(joined(f.path, k), kEchoedChars) + " повторяется";
            return false;
        }
        f.key = k;
        f.haveKey = true;
        return true;
    }

    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) {
        what_ = e.what();
        // The parser has read `position` bytes. A malformed token is pointed at where
        // it went wrong, its last byte; a well-formed token in the wrong place at its
        // first byte.
        const bool malformed = what_.find("last read:") != std::string::npos;
        const std::size_t back = malformed ? 1 : std::max<std::size_t>(1, tokenLength(token));
        position_ = position >= back ? position - back : 0;
        return false;
    }

    // The flattened name of the value being read ("Inputs[3].Flags"), or of the
    // object whose key is being read.
    std::string where() const {
        if (frames_.empty()) {
            return {};
        }
        const Frame& f = frames_.back();
        if (f.isArray) {
            return f.path + "[" + std::to_string(f.array.size()) + "]";
        }
        return f.haveKey ? joined(f.path, f.key) : f.path;
    }

    const std::string& refusal() const { return refusal_; }
    const std::string& what() const { return what_; }
    std::size_t position() const { return position_; }
    const QJsonValue& root() const { return root_; }

private:
    struct Frame {
        bool isArray = false;
        std::string path;
        QJsonArray array;
        // An object's members, put into a QJsonObject in key order when it ends:
        // QJsonObject keeps its keys sorted, and inserting them in the order of the
        // text would cost time growing with the square of their number.
        std::vector<std::pair<QString, QJsonValue>> members;
        std::unordered_set<std::string> keys;
        std::string key; // the key whose value comes next
        bool haveKey = false;

        std::size_t size() const {
            return isArray ? static_cast<std::size_t>(array.size()) : members.size();
        }
    };

    bool add(const QJsonValue& v) {
        if (frames_.empty()) {
            root_ = v;
            return true;
        }
        Frame& f = frames_.back();
        if (f.size() >= kMaxJsonElements) {
            refusal_ = std::string(f.isArray ? "в массиве" : "в объекте") +
                       (f.path.empty() ? "" : " " + TerminalText(f.path, kEchoedChars)) +
                       " больше " + std::to_string(kMaxJsonElements) + " элементов";
            return false;
        }
        if (f.isArray) {
            f.array.append(v);
        } else {
            f.members.emplace_back(
                QString::fromUtf8(f.key.data(), static_cast<qsizetype>(f.key.size())), v);
            f.haveKey = false;
        }
        return true;
    }

    bool push(bool isArray) {
        if (frames_.size() >= kMaxJsonDepth) {
            refusal_ = "слишком глубокая вложенность (больше " + std::to_string(kMaxJsonDepth) +
                       " уровней)";
            return false;
        }
        Frame f;
        f.isArray = isArray;
        f.path = where();
        frames_.push_back(std::move(f));
        return true;
    }

    bool pop() {
        Frame f = std::move(frames_.back());
        frames_.pop_back();
        if (f.isArray) {
            return add(QJsonValue(std::move(f.array)));
        }
        std::sort(f.members.begin(), f.members.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        QJsonObject object;
        for (auto& [name, value] : f.members) {
            object.insert(name, value);
        }
        return add(QJsonValue(std::move(object)));
    }

    std::vector<Frame> frames_;
    QJsonValue root_;
    std::string refusal_;
    std::string what_;
    std::size_t position_ = 0;
};

// Line and column (in characters) of the byte at `offset`, both from 1.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0u) != 0x80u) {
            ++column;
        }
    }
    return {line, column};
}

} // namespace

std::optional<QJsonObject> ParseJsonObject(std::string_view text, std::string& error) {
    Builder builder;
    const bool parsed = Json::sax_parse(text.begin(), text.end(), &builder);
    if (!parsed) {
        if (!builder.refusal().empty()) {
            error = "ошибка JSON: " + builder.refusal();
            return std::nullopt;
        }
        const auto [line, column] = lineAndColumn(text, builder.position());
        error =
            "ошибка JSON в строке " + std::to_string(line) + ", позиции " + std::to_string(column);
        if (const std::string key = builder.where(); !key.empty()) {
            error += " (ключ " + TerminalText(key, kEchoedChars) + ")";
        }
        error += ": ";
        error += reasonFor(builder.what());
        return std::nullopt;
    }
    if (!builder.root().isObject()) {
        error = "ожидается объект JSON с полями конфигурации";
        return std::nullopt;
    }
    return builder.root().toObject();
}

} // namespace tk::cli
