#include "cli/record_io.h"

#include "cli/json_form.h"
#include "files/format.h"
#include "model/defaults.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

#include <span>

namespace tk::cli {
namespace {

// The system's own texts for a file that cannot be opened or is foreign.
constexpr const char* kCannotOpen = "Не могу открыть файл";
constexpr const char* kNotConfig = "Это файл не для программы TekoraCentre";
constexpr const char* kNotSaved = "Не сохраняется";

QString fileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

Loaded failure(const std::string& path, const std::string& reason) {
    return Loaded{std::nullopt, {path + ": " + reason}};
}

bool looksLikeJson(const std::string& path, const QByteArray& bytes) {
    if (path.size() >= 5 && QByteArray::fromStdString(path).toLower().endsWith(".json")) {
        return true;
    }
    for (const char c : bytes) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return c == '{' || c == '[';
        }
    }
    return false;
}

const char* parseErrorText(QJsonParseError::ParseError error) {
    switch (error) {
    case QJsonParseError::NoError:
        break;
    case QJsonParseError::UnterminatedObject:
        return "объект не закрыт";
    case QJsonParseError::MissingNameSeparator:
        return "после ключа нет двоеточия";
    case QJsonParseError::UnterminatedArray:
        return "массив не закрыт";
    case QJsonParseError::MissingValueSeparator:
        return "между значениями нет запятой";
    case QJsonParseError::IllegalValue:
        return "недопустимое значение";
    case QJsonParseError::TerminationByNumber:
        return "текст оборвался на числе";
    case QJsonParseError::IllegalNumber:
        return "недопустимое число";
    case QJsonParseError::IllegalEscapeSequence:
        return "недопустимая escape-последовательность";
    case QJsonParseError::IllegalUTF8String:
        return "строка не в кодировке UTF-8";
    case QJsonParseError::UnterminatedString:
        return "строка не закрыта";
    case QJsonParseError::MissingObject:
        return "ожидается объект";
    case QJsonParseError::DeepNesting:
        return "слишком глубокая вложенность";
    case QJsonParseError::DocumentTooLarge:
        return "документ слишком велик";
    case QJsonParseError::GarbageAtEnd:
        return "лишние символы после конца документа";
    }
    return "ошибка разбора";
}

} // namespace

Configuration FactoryRecord() {
    Configuration cfg;
    setdefault(cfg);
    return cfg;
}

std::optional<QJsonObject> ParseJsonObject(const QByteArray& text, std::string& error) {
    QByteArray body = text;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3); // a byte order mark some editors write
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parse);
    if (parse.error != QJsonParseError::NoError) {
        const auto upTo = body.left(parse.offset);
        const qsizetype line = upTo.count('\n') + 1;
        const qsizetype column = parse.offset - (upTo.lastIndexOf('\n') + 1) + 1;
        error = "ошибка JSON в строке " + std::to_string(line) + ", позиции " +
                std::to_string(column) + ": " + parseErrorText(parse.error);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        error = "ожидается объект JSON с полями конфигурации";
        return std::nullopt;
    }
    return doc.object();
}

Loaded LoadRecord(const std::string& path) {
    QFile file(fileName(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return failure(path, kCannotOpen);
    }
    const QByteArray bytes = file.read(kMaxJsonSize + 1);
    if (file.error() != QFileDevice::NoError) {
        return failure(path, kCannotOpen);
    }

    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            static_cast<std::size_t>(bytes.size()));
    if (CheckFileImage(raw) == StatusNone) {
        Configuration cfg = FactoryRecord();
        refile(cfg, raw);
        return Loaded{std::move(cfg), {}};
    }
    if (!looksLikeJson(path, bytes)) {
        return failure(path, kNotConfig);
    }
    if (bytes.size() > kMaxJsonSize) {
        return failure(path, "файл JSON больше " + std::to_string(kMaxJsonSize) + " байт");
    }
    std::string error;
    const auto json = ParseJsonObject(bytes, error);
    if (!json) {
        return failure(path, error);
    }
    Configuration cfg = FactoryRecord();
    Loaded loaded;
    for (const JsonError& e : ApplyJson(*json, cfg)) {
        loaded.errors.push_back(path + ": " + e.text());
    }
    if (loaded.errors.empty()) {
        loaded.cfg = std::move(cfg);
    }
    return loaded;
}

std::string SaveWhole(const std::string& path, const QByteArray& data) {
    QSaveFile file(fileName(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return path + ": " + kNotSaved + ": " + file.errorString().toStdString();
    }
    // A short write must not replace the old file with a fragment.
    if (file.write(data) != data.size()) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        return path + ": " + kNotSaved + ": " + reason;
    }
    if (!file.commit()) {
        return path + ": " + kNotSaved + ": " + file.errorString().toStdString();
    }
    return {};
}

} // namespace tk::cli
