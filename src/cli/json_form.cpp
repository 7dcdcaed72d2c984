#include "cli/json_form.h"

#include "files/format.h"
#include "files/recordtext.h"
#include "model/cp1251.h"
#include "model/packing.h"

#include <QJsonArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>
#include <string_view>

namespace tk::cli {
namespace {

// Which numbers a field takes: the values its place in the file can hold.
struct NumRule {
    std::int64_t min;
    std::int64_t max;
    const char* stored; // how the file keeps it, for the refusal
};

constexpr NumRule kByte{0, 0xFF, "хранится один байт"};
constexpr NumRule kWord{0, 0xFFFF, "хранится 16-битное слово"};
constexpr NumRule kAny{std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max(), "32-битное целое со знаком"};
// Quotient and remainder by 6 in two bytes.
constexpr NumRule kQuotRem6{0, 0xFF * 6 + 5, "хранятся частное и остаток от деления на 6"};
// The GPRS period shares one byte: minutes × 6 + tens of seconds.
constexpr NumRule kGprsMin{0, 0xFF / 6, "хранится в байте как GprsPeriodMin × 6 + GprsPeriodSec"};
constexpr NumRule kGprsSec{0, 5, "десятки секунд"};

enum class TextKind {
    Plain,     // any Windows-1251 character but NUL, up to max
    Telephone, // a packed number: "0"-"9", "*", "+", up to max
    Comment,   // a comment line: no CR or LF, no length of its own
    ReadOnly,  // exported, checked to be a text, ignored on import
};

struct TextRule {
    TextKind kind;
    std::size_t max;
};

constexpr TextRule kSmsText{TextKind::Plain, 31};
constexpr TextRule kText32{TextKind::Plain, 31};
constexpr TextRule kText16{TextKind::Plain, 15};
constexpr TextRule kText48{TextKind::Plain, 47};
constexpr TextRule kFileText{TextKind::Plain, kFileTextMax};
constexpr TextRule kTelephone{TextKind::Telephone, 16};
constexpr TextRule kCommentLine{TextKind::Comment, 0};
constexpr TextRule kReadOnly{TextKind::ReadOnly, 0};

// Most comment lines a file can hold: each takes at least its CR LF.
constexpr std::size_t kMaxCommentLines = (kMaxFileSize - kEmptyFileSize) / 2;

// The field list of the JSON form, in record order. Writer, reader and flattener
// walk the same list, so the three cannot drift apart.

template <class P, class V> void partitionFields(P& p, V& v) {
    v.number("Flags", p.Flags, kByte);
    v.number("Raw4", p.Raw4, kWord);
    v.number("Raw6", p.Raw6, kWord);
    v.number("DialUpMask", p.DialUpMask, kWord);
    v.number("Raw10", p.Raw10, kWord);
    v.number("AlarmMask", p.AlarmMask, kAny);
}

// Input n: 1..4 live in the base image, 5..64 in the extension blocks (no DialUp
// mask there), element 0 is stored nowhere.
template <class In, class V> void inputFields(In& in, std::size_t n, V& v) {
    const bool stored = n >= 1;
    const bool base = stored && n <= static_cast<std::size_t>(kBaseInputs);
    const NumRule byte = stored ? kByte : kAny;
    const NumRule word = stored ? kWord : kAny;
    v.number("Flags", in.Flags, byte);
    v.number("RepFlags", in.RepFlags, byte);
    v.number("DialUpMask", in.DialUpMask, base ? kByte : kAny);
    v.number("AlarmMask", in.AlarmMask, word);
    v.number("Raw4", in.Raw4, word);
    v.number("Raw6", in.Raw6, word);
    v.number("Raw8", in.Raw8, word); // inputs 1..4 keep its high byte only
    v.number("Raw10", in.Raw10, word);
    v.text("AlarmSMSText", in.AlarmSMSText, kSmsText);
    v.text("RestoreSMSText", in.RestoreSMSText, kSmsText);
    v.number("ZoneType", in.ZoneType, byte);
    v.pair("ObjNum", in.ObjNum, byte);
    v.pair("EvCode", in.EvCode, byte);
    v.pair("InpNum", in.InpNum, kAny);
    v.number("PartNum", in.PartNum, kAny);
    v.number("Partition", in.Partition, byte);
}

template <class Cfg, class V> void configFields(Cfg& c, V& v) {
    v.text("TxSerialNum", c.TxSerialNum, kFileText);
    v.text("TxTlfNum", c.TxTlfNum, kFileText);
    v.text("TxVersion", c.TxVersion, kReadOnly);
    v.texts("Comments", c.Comments, kCommentLine);

    v.number("ObjNum", c.ObjNum, kWord);
    v.number("TimeOfInp", c.TimeOfInp, kByte);
    v.number("TimeOfOut", c.TimeOfOut, kByte);
    v.number("TimeOfAlarmMin", c.TimeOfAlarmMin, kByte);
    v.number("TimeOfAlarmSec", c.TimeOfAlarmSec, kByte);
    v.records("Partitions", c.Partitions,
              [](auto& p, std::size_t, auto& sub) { partitionFields(p, sub); });

    v.texts("TelNum", c.TelNum, kTelephone);
    v.text("ArmSMSText", c.ArmSMSText, kSmsText);
    v.text("DisarmSMSText", c.DisarmSMSText, kSmsText);
    v.records("Inputs", c.Inputs,
              [](auto& in, std::size_t n, auto& sub) { inputFields(in, n, sub); });

    v.number("SysEvAcFlags", c.SysEvAcFlags, kByte);
    v.number("SysEvDcFlags", c.SysEvDcFlags, kByte);
    v.number("SysEvPtFlags", c.SysEvPtFlags, kByte);
    v.number("SysEvDcDialUpMask", c.SysEvDcDialUpMask, kByte);
    v.number("SysEvDcAlarmMask", c.SysEvDcAlarmMask, kAny);
    v.number("SysEvPtDialUpMask", c.SysEvPtDialUpMask, kByte);
    v.number("SysEvPtAlarmMask", c.SysEvPtAlarmMask, kAny);
    v.number("PerTestHours", c.PerTestHours, kByte);
    v.number("PerTestMinutes", c.PerTestMinutes, kByte);
    v.number("SysEvAcRaw8", c.SysEvAcRaw8, kWord);
    v.number("SysEvAcRaw10", c.SysEvAcRaw10, kWord);
    v.number("SysEvDcRaw10", c.SysEvDcRaw10, kWord);
    v.number("SysEvPtRaw4", c.SysEvPtRaw4, kWord);
    v.number("SysEvPtRaw10", c.SysEvPtRaw10, kWord);

    v.number("ExtPanelObjNum", c.ExtPanelObjNum, kWord);
    v.number("ExtPanelFlags", c.ExtPanelFlags, kByte);
    v.number("ExtPanelDialUpMask", c.ExtPanelDialUpMask, kWord);
    v.number("ExtPanelAlarmMask", c.ExtPanelAlarmMask, kWord);
    v.number("KpdFlags", c.KpdFlags, kByte);
    v.number("KpdDialUpMask", c.KpdDialUpMask, kWord);
    v.number("KpdAlarmMask", c.KpdAlarmMask, kWord);

    v.number("GprsMode", c.GprsMode, kByte);
    v.number("GprsPeriodMin", c.GprsPeriodMin, kGprsMin);
    v.number("GprsPeriodSec", c.GprsPeriodSec, kGprsSec);
    v.text("Apn", c.Apn, kText32);
    v.text("ApnUserName", c.ApnUserName, kText16);
    v.text("ApnPass", c.ApnPass, kText16);
    v.text("TkRecIp", c.TkRecIp, kText16);
    v.text("Email", c.Email, kText48);
    v.text("TelNum7316", c.TelNum7316, kTelephone);

    v.number("Options", c.Options, kByte);
    v.number("NumOfAttemptsCallMain", c.NumOfAttemptsCallMain, kByte);
    v.number("SvingerCount", c.SvingerCount, kByte);
    v.number("AuxPeriod58", c.AuxPeriod58, kQuotRem6);
    v.number("AuxPeriod5A", c.AuxPeriod5A, kQuotRem6);
}

std::string indexed(std::string_view key, std::size_t i) {
    return std::string(key) + "[" + std::to_string(i) + "]";
}

// ---------------------------------------------------------------- writer

class JsonWriter {
public:
    void number(const char* key, const std::int32_t& v, NumRule) { obj_.insert(key, v); }
    void pair(const char* key, const std::array<std::int32_t, 2>& v, NumRule) {
        obj_.insert(key, QJsonArray{v[0], v[1]});
    }
    void text(const char* key, const Text& t, TextRule) { obj_.insert(key, fromRecordText(t)); }
    template <class List> void texts(const char* key, const List& list, TextRule) {
        QJsonArray arr;
        for (const Text& t : list) {
            arr.append(fromRecordText(t));
        }
        obj_.insert(key, arr);
    }
    template <class R, std::size_t N, class Fn>
    void records(const char* key, const std::array<R, N>& list, Fn fn) {
        QJsonArray arr;
        for (std::size_t i = 0; i < N; ++i) {
            JsonWriter sub;
            fn(list[i], i, sub);
            arr.append(sub.obj_);
        }
        obj_.insert(key, arr);
    }

    QJsonObject take() { return std::move(obj_); }

private:
    QJsonObject obj_;
};

// ---------------------------------------------------------------- reader

std::string typeName(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::Null:
        return "null";
    case QJsonValue::Bool:
        return "логическое значение";
    case QJsonValue::Double:
        return "число";
    case QJsonValue::String:
        return "строка";
    case QJsonValue::Array:
        return "массив";
    case QJsonValue::Object:
        return "объект";
    case QJsonValue::Undefined:
        break;
    }
    return "нет значения";
}

std::string numberText(double d) {
    return QString::number(d, 'g', 15).toStdString();
}

std::string codePointText(char32_t cp) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    std::string out = code;
    if (cp >= 0x20 && cp != 0x7F) {
        out += " «" + QString::fromUcs4(&cp, 1).toStdString() + "»";
    }
    return out;
}

// The refusals of one import: the first few in full, all of them counted, so that a
// flood of wrong values costs neither memory nor screens of output.
struct Refusals {
    std::vector<JsonError> listed;
    std::size_t count = 0;

    void add(const std::string& key, const std::string& reason) {
        if (listed.size() < kListedRefusals) {
            listed.push_back({key, reason});
        }
        ++count;
    }
};

class JsonReader {
public:
    JsonReader(QJsonObject obj, std::string prefix, Refusals& errors)
        : obj_(std::move(obj)), prefix_(std::move(prefix)), errors_(errors) {}

    void number(const char* key, std::int32_t& v, NumRule rule) {
        if (const auto val = take(key)) {
            if (const auto n = toNumber(*val, path(key), rule)) {
                v = *n;
            }
        }
    }

    void pair(const char* key, std::array<std::int32_t, 2>& v, NumRule rule) {
        const auto val = take(key);
        if (!val) {
            return;
        }
        const auto arr = toArray(*val, path(key), v.size());
        if (!arr) {
            return;
        }
        for (std::size_t i = 0; i < v.size(); ++i) {
            const auto idx = static_cast<qsizetype>(i);
            if (const auto n = toNumber(arr->at(idx), indexed(path(key), i), rule)) {
                v[i] = *n;
            }
        }
    }

    void text(const char* key, Text& t, TextRule rule) {
        if (const auto val = take(key)) {
            if (auto converted = toText(*val, path(key), rule)) {
                t = std::move(*converted);
            }
        }
    }

    // A fixed array of texts (TelNum) or a list of any length (Comments).
    template <class List> void texts(const char* key, List& list, TextRule rule) {
        const auto val = take(key);
        if (!val) {
            return;
        }
        constexpr bool fixed = requires {
            std::tuple_size<List>::value;
        };
        std::optional<QJsonArray> arr;
        if constexpr (fixed) {
            arr = toArray(*val, path(key), list.size());
        } else {
            arr = toArray(*val, path(key), std::nullopt);
            // Every line takes at least its CR LF in the file: a longer list can never
            // be written, and refusing it whole spares a refusal per element.
            if (arr && static_cast<std::size_t>(arr->size()) > kMaxCommentLines) {
                fail(path(key), "массив из " + std::to_string(arr->size()) +
                                    " строк, в файл помещается не более " +
                                    std::to_string(kMaxCommentLines));
                return;
            }
        }
        if (!arr) {
            return;
        }
        if constexpr (!fixed) {
            list.resize(static_cast<std::size_t>(arr->size()));
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto idx = static_cast<qsizetype>(i);
            if (auto t = toText(arr->at(idx), indexed(path(key), i), rule)) {
                list[i] = std::move(*t);
            }
        }
    }

    template <class R, std::size_t N, class Fn>
    void records(const char* key, std::array<R, N>& list, Fn fn) {
        const auto val = take(key);
        if (!val) {
            return;
        }
        const auto arr = toArray(*val, path(key), N);
        if (!arr) {
            return;
        }
        for (std::size_t i = 0; i < N; ++i) {
            const std::string at = indexed(path(key), i);
            const QJsonValue element = arr->at(static_cast<qsizetype>(i));
            if (!element.isObject()) {
                fail(at, "ожидается объект, а не " + typeName(element));
                continue;
            }
            JsonReader sub(element.toObject(), at + ".", errors_);
            fn(list[i], i, sub);
            sub.finish();
        }
    }

    // Refuses the keys that no field took.
    void finish() {
        for (auto it = obj_.begin(); it != obj_.end(); ++it) {
            const std::string key = it.key().toStdString();
            if (seen_.count(key) != 0) {
                continue;
            }
            if (prefix_.empty() && key == "ExtBlocksCount") {
                fail(key, "неизвестный ключ: число блоков расширения выводится из включённых "
                          "входов и не задаётся");
            } else {
                fail(path(key), "неизвестный ключ");
            }
        }
    }

    void fail(const std::string& key, const std::string& reason) { errors_.add(key, reason); }

private:
    std::string path(std::string_view key) const { return prefix_ + std::string(key); }

    std::optional<QJsonValue> take(const char* key) {
        const auto it = obj_.constFind(QLatin1String(key));
        if (it == obj_.constEnd()) {
            return std::nullopt;
        }
        seen_.insert(key);
        return it.value();
    }

    std::optional<QJsonArray> toArray(const QJsonValue& v, const std::string& key,
                                      std::optional<std::size_t> length) {
        if (!v.isArray()) {
            fail(key, "ожидается массив, а не " + typeName(v));
            return std::nullopt;
        }
        QJsonArray arr = v.toArray();
        if (length && static_cast<std::size_t>(arr.size()) != *length) {
            fail(key, "массив из " + std::to_string(arr.size()) + " элементов, ожидается " +
                          std::to_string(*length));
            return std::nullopt;
        }
        return arr;
    }

    std::optional<std::int32_t> toNumber(const QJsonValue& v, const std::string& key,
                                         NumRule rule) {
        if (!v.isDouble()) {
            fail(key, "ожидается целое число, а не " + typeName(v));
            return std::nullopt;
        }
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d)) {
            fail(key, "ожидается целое число, а не " + numberText(d));
            return std::nullopt;
        }
        if (d < static_cast<double>(rule.min) || d > static_cast<double>(rule.max)) {
            fail(key, "число " + numberText(d) + " вне пределов " + std::to_string(rule.min) + "…" +
                          std::to_string(rule.max) + " (" + rule.stored + ")");
            return std::nullopt;
        }
        return static_cast<std::int32_t>(d);
    }

    std::optional<Text> toText(const QJsonValue& v, const std::string& key, TextRule rule) {
        if (!v.isString()) {
            fail(key, "ожидается строка, а не " + typeName(v));
            return std::nullopt;
        }
        if (rule.kind == TextKind::ReadOnly) {
            return std::nullopt; // exported for reading, never imported
        }
        const QString str = v.toString();
        if (rule.kind == TextKind::Telephone) {
            for (const char32_t cp : str.toUcs4()) {
                if (!IsPackedTelephoneChar(cp)) {
                    // The packed number has no nibble for it: "#" would be dialled as "0".
                    fail(key, "символ " + codePointText(cp) +
                                  " недопустим в номере телефона (допустимы 0-9, *, +)");
                    return std::nullopt;
                }
            }
        }
        char32_t bad = 0;
        auto t = toRecordText(str, &bad);
        if (!t) {
            fail(key, "символ " + codePointText(bad) + " отсутствует в кодировке Windows-1251");
            return std::nullopt;
        }
        switch (rule.kind) {
        case TextKind::Plain:
            if (t->find('\0') != Text::npos) {
                fail(key, "символ U+0000 в тексте недопустим");
                return std::nullopt;
            }
            break;
        case TextKind::Telephone: // characters checked above
            break;
        case TextKind::Comment:
            if (t->find_first_of("\r\n") != Text::npos) {
                fail(key, FileWriteErrorText(FileWriteError::CommentLineBreak));
                return std::nullopt;
            }
            return t;
        case TextKind::ReadOnly:
            break;
        }
        if (t->size() > rule.max) {
            fail(key, "текст из " + std::to_string(t->size()) + " знаков, допустимо не более " +
                          std::to_string(rule.max));
            return std::nullopt;
        }
        return t;
    }

    QJsonObject obj_;
    std::string prefix_;
    Refusals& errors_;
    std::set<std::string, std::less<>> seen_;
};

// ---------------------------------------------------------------- flattener

class Flattener {
public:
    Flattener(std::vector<FlatField>& out, std::string prefix)
        : out_(out), prefix_(std::move(prefix)) {}

    void number(const char* key, const std::int32_t& v, NumRule) {
        out_.push_back({prefix_ + key, std::to_string(v)});
    }
    void pair(const char* key, const std::array<std::int32_t, 2>& v, NumRule) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            out_.push_back({indexed(prefix_ + key, i), std::to_string(v[i])});
        }
    }
    void text(const char* key, const Text& t, TextRule) {
        out_.push_back({prefix_ + key, JsonQuote(cp1251ToUtf8(t))});
    }
    template <class List> void texts(const char* key, const List& list, TextRule) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            out_.push_back({indexed(prefix_ + key, i), JsonQuote(cp1251ToUtf8(list[i]))});
        }
    }
    template <class R, std::size_t N, class Fn>
    void records(const char* key, const std::array<R, N>& list, Fn fn) {
        for (std::size_t i = 0; i < N; ++i) {
            Flattener sub(out_, indexed(prefix_ + key, i) + ".");
            fn(list[i], i, sub);
        }
    }

private:
    std::vector<FlatField>& out_;
    std::string prefix_;
};

} // namespace

QJsonObject ToJson(const Configuration& cfg) {
    JsonWriter writer;
    configFields(cfg, writer);
    return writer.take();
}

std::vector<JsonError> ApplyJson(const QJsonObject& json, Configuration& cfg, std::size_t* total) {
    Refusals errors;
    Configuration next = cfg;
    JsonReader reader(json, "", errors);
    configFields(next, reader);
    reader.finish();
    if (errors.count == 0 &&
        next.GprsPeriodMin * 6 + next.GprsPeriodSec > static_cast<int>(kByte.max)) {
        reader.fail("GprsPeriodMin", "период GPRS " + std::to_string(next.GprsPeriodMin) +
                                         " × 6 + " + std::to_string(next.GprsPeriodSec) +
                                         " не помещается в байт (0…255)");
    }
    if (errors.count == 0) {
        cfg = std::move(next);
    }
    if (total != nullptr) {
        *total = errors.count;
    }
    return std::move(errors.listed);
}

std::vector<FlatField> Flatten(const Configuration& cfg) {
    std::vector<FlatField> out;
    Flattener flattener(out, "");
    configFields(cfg, flattener);
    return out;
}

std::string JsonQuote(const std::string& utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out += "\\u00";
                out += kHex[u >> 4];
                out += kHex[u & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

} // namespace tk::cli
