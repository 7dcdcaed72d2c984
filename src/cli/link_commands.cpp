#include "cli/command_line.h"
#include "cli/link_run.h"
#include "cli/record_io.h"
#include "image/image.h"
#include "link/ports.h"
#include "model/input_table.h"

#include <optional>

namespace tk::cli {
namespace {

constexpr const char* kLinkHelp =
    "\n"
    "Связь с передатчиком по кабелю программирования:\n"
    "  ports                     последовательные порты этого компьютера\n"
    "  read --port ПОРТ -o ФАЙЛ  прочитать конфигурацию передатчика в ФАЙЛ\n"
    "  write --port ПОРТ ФАЙЛ [--verify]\n"
    "                            записать конфигурацию из ФАЙЛА в передатчик\n"
    "  (у read и write: --pause ДЕСЯТЫЕ_МС, --quick, --trace ЖУРНАЛ, --no-backup)\n";

constexpr const char* kPortsUsage = "Использование: tk515 ports\n";
constexpr const char* kReadUsage =
    "Использование: tk515 read --port ПОРТ -o ФАЙЛ [--pause N] [--quick] [--trace ЖУРНАЛ]\n"
    "                          [--no-backup]\n";
constexpr const char* kWriteUsage =
    "Использование: tk515 write --port ПОРТ ФАЙЛ [--verify] [--pause N] [--quick]\n"
    "                           [--trace ЖУРНАЛ] [--no-backup]\n";

constexpr const char* kLinkOptionsHelp =
    "\n"
    "  --port ПОРТ      последовательный порт: /dev/ttyUSB0, путь псевдотерминала\n"
    "                   (например, напечатанный tk515-sim), COM3 в Windows\n"
    "  --pause N        пауза перед каждым передаваемым байтом в десятых долях\n"
    "                   миллисекунды, 1..990 (по умолчанию 10, то есть 1 мс)\n"
    "  --quick          быстрый обмен: ответ передатчика принимается, как только пришло\n"
    "                   его окончание, без полсекунды тишины после каждого ответа (чтение\n"
    "                   вдвое быстрее); байты и паузы перед командами те же. С передатчиком,\n"
    "                   с которым быстрый обмен еще не проверялся, сначала обычный обмен\n"
    "  --trace ЖУРНАЛ   записать в ЖУРНАЛ каждый переданный и принятый байт со временем\n"
    "                   в миллисекундах, шестнадцатерично и буквами (для поддержки)\n"
    "  --no-backup      не сохранять резервную копию (у write: не читать передатчик\n"
    "                   перед записью)\n"
    "\n"
    "Слова состояния связи (Connecting, Reading03, Error 3, ...) выводятся в поток\n"
    "ошибок. Ctrl+C (а также SIGTERM и SIGHUP) прерывает передачу и закрывает порт.\n"
    "Код завершения: 0 - успех, 1 - ошибка, 2 - неверная командная строка.\n";

constexpr const char* kReadHelp =
    "\nУстанавливает связь с передатчиком (до 10 попыток), читает его конфигурацию,\n"
    "разрывает связь и сохраняет конфигурацию в ФАЙЛ (файл конфигурации). Последняя\n"
    "строка комментариев говорит, когда и через какой порт она прочитана. Та же\n"
    "конфигурация сохраняется резервной копией (см. tk515 backups); если копия не\n"
    "сохраняется, об этом говорится в потоке ошибок, а чтение всё равно удаётся.\n";
constexpr const char* kWriteHelp =
    "\nСначала читает конфигурацию передатчика так же, как read (своя связь, чтение,\n"
    "разрыв связи; около 8 с), и сохраняет её резервной копией \"перед записью\"; если\n"
    "она не прочитана или не сохранена, ничего не записывает. Затем снова\n"
    "устанавливает связь, записывает в передатчик конфигурацию из ФАЙЛА (файл\n"
    "конфигурации или JSON) и разрывает связь. По кабелю передаются блоки 00-03\n"
    "(байты 0-511 образа). С --verify затем читает конфигурацию обратно и сравнивает\n"
    "записанные блоки; при различии называет первый несовпавший блок.\n";

// The Russian reason for a failed exchange.
std::string reasonOf(const link::SessionResult& r) {
    if (r.lineLost) {
        return kLineLostText;
    }
    switch (r.code) {
    case StatusTimeout:
        return "передатчик не ответил вовремя";
    case StatusBadReply:
        return "неверный ответ передатчика";
    case StatusNone:
        return "передатчик сообщил 0 блоков";
    default:
        return "ошибка " + std::to_string(static_cast<int>(r.code));
    }
}

class CableRun {
public:
    CableRun(const Arguments& a, std::ostream& out, std::ostream& err)
        : args_(a), run_(a, out, err) {}

    bool start() { return run_.start(); }

    // Connects; on failure reports why.
    bool connect() {
        // The connect loop stops at a signal before its next probe.
        const link::SessionResult r = link::CableConnect(run_.line(), run_.clock(), run_.params(),
                                                         run_.cancel(), run_.reporter());
        if (r.ok) {
            return true;
        }
        run_.sessionFailed(r, "нет связи с передатчиком (No connect)");
        return false;
    }

    void disconnect() {
        if (run_.line().isOpen()) {
            link::CableDisconnect(run_.line(), run_.reporter());
        }
    }

    // Connect, read, disconnect. The session's result when it succeeded.
    std::optional<link::SessionResult> readImage() {
        if (!connect()) {
            return std::nullopt;
        }
        link::SessionResult r = link::CableRead(run_.line(), run_.clock(), run_.params(),
                                                run_.cancel(), run_.reporter());
        disconnect();
        if (!r.ok) {
            run_.sessionFailed(r, "чтение не удалось: " + r.status + ", " + reasonOf(r));
            return std::nullopt;
        }
        return r;
    }

    int read() {
        const auto r = readImage();
        if (!r) {
            return ExitFailed;
        }
        // The cable read decodes the base image over a new configuration.
        Configuration cfg = FactoryRecord();
        redump(cfg, r->image);
        // A backup that fails leaves the read as good as it was.
        run_.keepRead(cfg, BackupKind::Read);
        return run_.save(cfg, r->message);
    }

    // What the transmitter holds, read as the read command reads it and kept before a
    // write. False when it could not be read or kept: nothing may be written then.
    bool keepBeforeWrite(const Configuration& written) {
        const auto r = readImage();
        if (!r) {
            run_.failed("запись не выполнена: конфигурация передатчика не прочитана, копия "
                        "не сохранена");
            return false;
        }
        Configuration held = FactoryRecord();
        redump(held, r->image);
        // The transmitter is the one the file written names.
        held.TxSerialNum = written.TxSerialNum;
        held.TxTlfNum = written.TxTlfNum;
        if (!run_.keepRead(held, BackupKind::BeforeWrite)) {
            run_.failed("запись не выполнена: копия передатчика не сохранена (без копии: "
                        "--no-backup)");
            return false;
        }
        return true;
    }

    int write(const Configuration& cfg) {
        std::vector<std::uint8_t> image(kEncodeClearSize);
        image.resize(wrdump(cfg, image));
        // The cable carries inputs 1..4 only: activated inputs above them stay behind.
        if (const std::vector<int> above = ActivatedTableInputs(cfg); !above.empty()) {
            run_.failed("предупреждение: включены входы выше 4 (" + InputNumbersText(above) +
                        "): по кабелю записываются только входы 1–4, эти входы передаются "
                        "только удаленной записью (remote-write)");
        }
        if (run_.backups() && !keepBeforeWrite(cfg)) {
            return ExitFailed;
        }
        if (!connect()) {
            return ExitFailed;
        }
        const link::SessionResult r = link::CableWrite(run_.line(), run_.clock(), run_.params(),
                                                       image, run_.cancel(), run_.reporter());
        disconnect();
        if (!r.ok) {
            return run_.sessionFailed(r, r.message + " " + r.status + ", " + reasonOf(r));
        }
        run_.out() << r.message << '\n';
        if (!args_.verify) {
            return ExitOk;
        }
        const auto back = readImage();
        if (!back) {
            return run_.failed("проверка не выполнена: конфигурация не прочитана обратно");
        }
        run_.out() << back->message << '\n';
        // The cable writes the first blocks of the base image only.
        return run_.verify(std::span(image).first(kTransferBlockSize * link::kCableWriteBlocks),
                           back->image);
    }

private:
    const Arguments& args_;
    LinkRun run_;
};

int runPorts(const Arguments&, std::ostream& out, std::ostream& err) {
    const std::vector<link::PortInfo> ports = link::AvailablePorts();
    if (ports.empty()) {
        Failed(err, "последовательных портов не найдено (псевдотерминал указывается путём)");
        return ExitOk;
    }
    for (const link::PortInfo& p : ports) {
        out << p.name;
        if (!p.description.empty()) {
            out << "  " << p.description;
        }
        if (!p.manufacturer.empty()) {
            out << " (" << p.manufacturer << ")";
        }
        out << '\n';
    }
    return ExitOk;
}

int runRead(const Arguments& a, std::ostream& out, std::ostream& err) {
    CableRun run(a, out, err);
    return run.start() ? run.read() : ExitFailed;
}

int runWrite(const Arguments& a, std::ostream& out, std::ostream& err) {
    const auto cfg = LoadOrSay(a.files[0], err);
    if (!cfg) {
        return ExitFailed;
    }
    CableRun run(a, out, err);
    return run.start() ? run.write(*cfg) : ExitFailed;
}

constexpr const char* kPortsHelp =
    "\nПеречисляет последовательные порты этого компьютера. Псевдотерминалы в\n"
    "списке не видны: их путь указывается в --port как есть.\n";

const Command kCommands[] = {
    {"ports", {}, kPortsUsage, kPortsHelp, "", true, runPorts},
    {"read",
     {.output = true, .outputRequired = true, .link = true, .backup = true},
     kReadUsage,
     kReadHelp,
     kLinkOptionsHelp,
     true,
     runRead},
    {"write",
     {.files = 1, .link = true, .verify = true, .backup = true},
     kWriteUsage,
     kWriteHelp,
     kLinkOptionsHelp,
     true,
     runWrite},
};

} // namespace

CommandGroup LinkCommands() {
    return {kLinkHelp, kCommands};
}

} // namespace tk::cli
