#include "ui/commandline.h"

#include "tk/version.h"

#include <cstdio>
#include <cstring>

namespace tk {

const char* const kWindowHelp =
    "Использование: tk515pro [ПАРАМЕТРЫ] [ФАЙЛ]\n"
    "\n"
    "Программатор передатчика TK 515 Pro: настройки в одном окне, чтение и запись по\n"
    "кабелю программирования и через GSM-модем, файлы конфигурации.\n"
    "\n"
    "  ФАЙЛ           открыть этот файл конфигурации (*.tk515, *.t61); из нескольких\n"
    "                 открывается первый\n"
    "  --port ПОРТ    порт связи на этот запуск (например, /dev/ttyUSB0 или путь\n"
    "                 псевдотерминала); сохраняется, только если выбрать другой порт\n"
    "  -h, --help     эта справка\n"
    "  --version      версия программы\n"
    "\n"
    "Действуют и параметры Qt, например -platform offscreen.\n"
    "Код завершения: 0 - окно закрыто, 1 - ошибка, 2 - неверная командная строка.\n";

namespace {

const QString kPortOption = QStringLiteral("--port");

// An argument as it may be echoed on a terminal: control characters as \uXXXX.
QString echoed(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace

std::optional<int> answerInformationRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0) {
            break;
        }
        if (std::strcmp(a, "--port") == 0) {
            ++i; // its value, whatever it looks like
        } else if (std::strcmp(a, "-h") == 0 || std::strcmp(a, "--help") == 0) {
            std::fputs(kWindowHelp, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        } else if (std::strcmp(a, "--version") == 0) {
            std::printf("tk515pro %s\n", kVersion);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return std::nullopt;
}

WindowCommandLine parseWindowCommandLine(const QStringList& arguments) {
    WindowCommandLine given;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (options && a == QStringLiteral("--")) {
            options = false;
        } else if (options && a == kPortOption) {
            if (i + 1 == arguments.size() || arguments.at(i + 1).isEmpty()) {
                given.error = QStringLiteral("после --port нужно имя порта");
                return given;
            }
            given.port = arguments.at(++i);
        } else if (options && a.startsWith(kPortOption + QLatin1Char('='))) {
            given.port = a.mid(kPortOption.size() + 1);
            if (given.port->isEmpty()) {
                given.error = QStringLiteral("после --port нужно имя порта");
                return given;
            }
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            given.error = QStringLiteral("неизвестный параметр «%1»").arg(echoed(a));
            return given;
        } else {
            given.files << a;
        }
    }
    return given;
}

} // namespace tk
