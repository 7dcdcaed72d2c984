#include "cli/command_line.h"
#include "cli/link_run.h"
#include "cli/record_io.h"
#include "image/image.h"
#include "link/modem_session.h"

#include <optional>

namespace tk::cli {
namespace {

constexpr const char* kRemoteHelp =
    "\n"
    "Удалённая связь с передатчиком через GSM-модем на порту (звонок на SIM-карту\n"
    "передатчика, передаются и блоки расширения - входы 5-64):\n"
    "  remote-read --port ПОРТ --tel НОМЕР -o ФАЙЛ\n"
    "                            прочитать конфигурацию передатчика в ФАЙЛ\n"
    "  remote-write --port ПОРТ ФАЙЛ [--tel НОМЕР] [--verify]\n"
    "                            записать конфигурацию из ФАЙЛА в передатчик\n"
    "  (у обеих: --pause ДЕСЯТЫЕ_МС, --quick, --trace ЖУРНАЛ, --no-backup)\n";

constexpr const char* kReadUsage =
    "Использование: tk515 remote-read --port ПОРТ --tel НОМЕР -o ФАЙЛ\n"
    "                                 [--pause N] [--quick] [--trace ЖУРНАЛ] [--no-backup]\n";
constexpr const char* kWriteUsage =
    "Использование: tk515 remote-write --port ПОРТ ФАЙЛ [--tel НОМЕР] [--verify]\n"
    "                                  [--pause N] [--quick] [--trace ЖУРНАЛ] [--no-backup]\n";

constexpr const char* kReadHelp =
    "\nГотовит модем (\"ATE=0\", \"AT\", \"AT+CBST=71,0,1\"), проверяет регистрацию в сети,\n"
    "звонит на НОМЕР передатчика, читает его конфигурацию с блоками расширения, кладёт\n"
    "трубку и сохраняет конфигурацию в ФАЙЛ (заводские значения, поверх них прочитанное;\n"
    "телефон передатчика - НОМЕР; последняя строка комментариев - когда и по какому\n"
    "номеру прочитано). Та же конфигурация сохраняется резервной копией.\n";
constexpr const char* kWriteHelp =
    "\nСначала звонит передатчику отдельным звонком и читает его конфигурацию так же,\n"
    "как remote-read, и сохраняет её резервной копией \"перед записью\"; если она не\n"
    "прочитана или не сохранена, ничего не записывает.\n"
    "Затем готовит модем, звонит передатчику и записывает в него всю конфигурацию из ФАЙЛА\n"
    "(файл конфигурации или JSON) с блоками расширения, затем кладёт трубку. Номер\n"
    "берётся из --tel, а без него - телефон передатчика из ФАЙЛА. С --verify затем\n"
    "звонит снова, читает конфигурацию обратно и сравнивает все записанные блоки.\n";

constexpr const char* kOptionsHelp =
    "\n"
    "  --port ПОРТ      последовательный порт модема: /dev/ttyUSB0, путь псевдотерминала\n"
    "                   (например, напечатанный tk515-sim --modem), COM3 в Windows\n"
    "  --tel НОМЕР      телефон передатчика (SIM-карты в нём), до 15 знаков: цифры,\n"
    "                   +, *, #\n"
    "  --pause N        пауза перед каждым передаваемым байтом в десятых долях\n"
    "                   миллисекунды, 1..990 (по умолчанию 10, то есть 1 мс)\n"
    "  --quick          быстрый обмен: ответ принимается, как только пришло его окончание,\n"
    "                   а после \"OK\" модема на подготовку выжидается 0,2 с вместо 2 с\n"
    "                   (отбой \"+++AT\", \"ATH\" - по-прежнему с паузами 2 с); звонок\n"
    "                   короче. С передатчиком, с которым быстрый обмен еще не проверялся,\n"
    "                   сначала обычный обмен\n"
    "  --trace ЖУРНАЛ   записать в ЖУРНАЛ каждый переданный и принятый байт со временем\n"
    "  --no-backup      не сохранять резервную копию (у remote-write: не звонить\n"
    "                   передатчику за его конфигурацией перед записью)\n"
    "\n"
    "Слова состояния (Check modem, Checking GSMNet, Connecting, Reading03, Disconnect)\n"
    "выводятся в поток ошибок. Ctrl+C (а также SIGTERM и SIGHUP - закрытый терминал)\n"
    "прерывает сеанс: передача останавливается, трубка кладётся, порт закрывается.\n"
    "Если модем не ответил \"OK\" на \"+++AT\" или \"ATH\", после результата в поток\n"
    "ошибок выводится предупреждение: модем может оставаться на связи.\n"
    "Код завершения: 0 - успех, 1 - ошибка, 2 - неверная командная строка.\n";

class RemoteRun {
public:
    RemoteRun(const Arguments& a, std::ostream& out, std::ostream& err)
        : args_(a), run_(a, out, err) {}

    bool start() { return run_.start(); }

    // A session that did not succeed, in words; ExitFailed.
    int failed(const link::RemoteResult& r) {
        std::string why = r.message;
        if (r.lineLost) {
            why += std::string(": ") + kLineLostText;
        } else if (r.code == StatusTimeout) {
            why += " (нет ответа вовремя)";
        }
        if (why.empty()) {
            why = "порт не настраивается";
        }
        run_.sessionFailed(r, why, r.hungUp);
        run_.warn(r);
        return ExitFailed;
    }

    std::optional<link::RemoteResult> read(const std::string& tel) {
        link::RemoteResult r = link::RemoteRead(run_.line(), run_.clock(), run_.params(), tel,
                                                run_.cancel(), run_.reporter());
        if (!r.ok) {
            failed(r);
            return std::nullopt;
        }
        return r;
    }

    int remoteRead() {
        const std::string tel = *args_.tel;
        const auto r = read(tel);
        if (!r) {
            return ExitFailed;
        }
        // As the window's remote read: a new configuration keeping the dialled number.
        Configuration cfg = FactoryRecord();
        cfg.TxTlfNum = tel;
        DecodeRemoteImage(cfg, r->image, r->blocks);
        // A backup that fails leaves the read as good as it was.
        run_.keepRead(cfg, BackupKind::Read, tel);
        const int status = run_.save(cfg, r->message);
        // The data's status stays; the warning follows the result.
        run_.warn(*r);
        return status;
    }

    // What the transmitter holds, read in a call of its own as remote-read reads it and
    // kept before the write. False when it could not be read or kept.
    bool keepBeforeWrite(const Configuration& written, const std::string& tel) {
        const auto r = read(tel);
        if (!r) {
            run_.failed("запись не выполнена: конфигурация передатчика не прочитана, копия "
                        "не сохранена");
            return false;
        }
        run_.warn(*r);
        Configuration held = FactoryRecord();
        held.TxTlfNum = tel;
        DecodeRemoteImage(held, r->image, r->blocks);
        // The transmitter is the one the file written names.
        held.TxSerialNum = written.TxSerialNum;
        if (!run_.keepRead(held, BackupKind::BeforeWrite, tel)) {
            run_.failed("запись не выполнена: копия передатчика не сохранена (без копии: "
                        "--no-backup)");
            return false;
        }
        return true;
    }

    int remoteWrite(Configuration& cfg) {
        const std::string tel = args_.tel ? *args_.tel : cfg.TxTlfNum;
        if (tel.empty()) {
            return run_.failed(Shown(args_.files[0]) + ": " + link::kNoTelephoneText +
                               " (в файле нет телефона передатчика; укажите --tel НОМЕР)");
        }
        if (!args_.tel && !link::DialableTelephone(tel)) {
            return run_.failed(Shown(args_.files[0]) + ": " + link::kBadTelephoneText);
        }
        const std::vector<std::uint8_t> image = EncodeImage(cfg);
        const int blocks = static_cast<int>(image.size() / kTransferBlockSize);
        if (run_.backups() && !keepBeforeWrite(cfg, tel)) {
            return ExitFailed;
        }
        const link::RemoteResult r = link::RemoteWrite(run_.line(), run_.clock(), run_.params(),
                                                       tel, image, run_.cancel(), run_.reporter());
        if (!r.ok) {
            return failed(r);
        }
        run_.out() << r.message << '\n';
        run_.warn(r);
        if (!args_.verify) {
            return ExitOk;
        }
        const auto back = read(tel);
        if (!back) {
            return run_.failed("проверка не выполнена: конфигурация не прочитана обратно");
        }
        run_.out() << back->message << '\n';
        run_.warn(*back);
        if (back->blocks != blocks) {
            return run_.failed(
                "проверка: передатчик сообщил блоков: " + std::to_string(back->blocks) +
                ", записано: " + std::to_string(blocks));
        }
        return run_.verify(image, back->image);
    }

private:
    const Arguments& args_;
    LinkRun run_;
};

int runRemoteRead(const Arguments& a, std::ostream& out, std::ostream& err) {
    RemoteRun run(a, out, err);
    return run.start() ? run.remoteRead() : ExitFailed;
}

int runRemoteWrite(const Arguments& a, std::ostream& out, std::ostream& err) {
    auto cfg = LoadOrSay(a.files[0], err);
    if (!cfg) {
        return ExitFailed;
    }
    RemoteRun run(a, out, err);
    return run.start() ? run.remoteWrite(*cfg) : ExitFailed;
}

const Command kCommands[] = {
    {"remote-read",
     {.output = true,
      .outputRequired = true,
      .link = true,
      .telephone = true,
      .telephoneRequired = true,
      .backup = true},
     kReadUsage,
     kReadHelp,
     kOptionsHelp,
     true,
     runRemoteRead},
    {"remote-write",
     {.files = 1, .link = true, .telephone = true, .verify = true, .backup = true},
     kWriteUsage,
     kWriteHelp,
     kOptionsHelp,
     true,
     runRemoteWrite},
};

} // namespace

CommandGroup RemoteCommands() {
    return {kRemoteHelp, kCommands};
}

} // namespace tk::cli
