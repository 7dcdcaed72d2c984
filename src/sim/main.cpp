// tk515-sim: a simulated TK 515 Pro on a new pseudo-terminal or a serial device.
#include "files/format.h"
#include "image/image.h"
#include "model/defaults.h"
#include "sim/line.h"
#include "sim/modem.h"
#include "sim/transmitter.h"
#include "tk/version.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tk;
using namespace tk::sim;

constexpr const char* kHelp =
    "Использование: tk515-sim [ФАЙЛ] [-o ВЫХОД] [--device УСТРОЙСТВО] [--fast]\n"
    "                         [--fault ВИД] [--fault-block N] [--quiet]\n"
    "                         [--modem [--creg 1|5|2|none] [--dial ИСХОД]\n"
    "                                  [--deaf-hang-up] [--dialled ФАЙЛ]]\n"
    "\n"
    "Имитатор передатчика TK 515 Pro на конце последовательной линии: отвечает на\n"
    "проверку связи \"M\", чтение (\"rdump\", \"read\") и запись (\"pdum\", \"prog\" и блок\n"
    "с контрольной суммой) так же, как передатчик на кабеле программирования.\n"
    "\n"
    "Без --device создаёт новый псевдотерминал и печатает его путь первой строкой;\n"
    "этот путь указывается программе как порт (tk515 read --port ПУТЬ -o ФАЙЛ).\n"
    "\n"
    "  ФАЙЛ               конфигурация передатчика (файл конфигурации); без него -\n"
    "                     заводская. Записанное в передатчик сохраняется в ФАЙЛ.\n"
    "  -o ВЫХОД           сохранять записанное в ВЫХОД, а не в ФАЙЛ\n"
    "  --device ПУТЬ      работать на последовательном порту ПУТЬ (через нуль-модемный\n"
    "                     кабель) вместо псевдотерминала\n"
    "  --fast             отвечать без паузы (иначе ответы идут со скоростью 9600 бод)\n"
    "  --fault ВИД        одна неисправность для проверки и обучения:\n"
    "                       no-answer    не отвечать ни на что\n"
    "                       drop-reply   не ответить на блок N (чтение или запись), один раз\n"
    "                       bad-tail     блок N прочитать с \"ER\" вместо \"OK\" в конце\n"
    "                       wrong-count  ответить на \"rdump\" числом не из шестнадцатеричных "
    "цифр\n"
    "                       count-00     ответить на \"rdump\" числом блоков 00\n"
    "                       refuse-sum   отвергнуть записываемый блок N (неверная сумма)\n"
    "                       hang-up      закрыть линию, когда запрошен или передаётся блок N\n"
    "                       long-reply   ответить на чтение блока N ответом длиннее 500 байт\n"
    "                       split        каждый ответ (и модема) прерывать посередине\n"
    "                                    паузой 30 мс\n"
    "  --fault-block N    блок для неисправности, 0..51 (по умолчанию 2)\n"
    "  --quiet            не печатать принятые команды\n"
    "\n"
    "  --modem            GSM-модем перед передатчиком (удалённое чтение и запись,\n"
    "                     tk515 remote-read/remote-write): отвечает на \"ATE=0\", \"AT\",\n"
    "                     \"AT+CBST=...\", \"AT+CREG?\", на \"ATD\" с номером - \"CONNECT 9600\",\n"
    "                     после чего линия ведёт к передатчику (с блоками расширения,\n"
    "                     входы 5-64) до \"+++\" после 0,4 с тишины; \"ATH\" кладёт трубку\n"
    "  --creg СОСТОЯНИЕ   ответ на \"AT+CREG?\": 1 - домашняя сеть (по умолчанию),\n"
    "                     5 - роуминг, 2 - поиск сети, none - нет ответа\n"
    "  --dial ИСХОД       ответ на набор номера: connect (по умолчанию), no-carrier -\n"
    "                     \"NO CARRIER\", silence - нет ответа\n"
    "  --deaf-hang-up     неисправный отбой: после \"+++\" не отвечать ни на одну команду,\n"
    "                     пока идёт звонок, и не класть трубку по \"ATH\" (звонок\n"
    "                     остаётся, пока передатчик не сбросит его через минуту тишины)\n"
    "  --dialled ФАЙЛ     записывать в ФАЙЛ каждый набранный номер (строкой; номер\n"
    "                     печатается и в журнал)\n"
    "  -h, --help         эта справка\n"
    "  --version          версия программы\n"
    "\n"
    "Работает до Ctrl+C (или до закрытия линии при hang-up).\n"
    "Код завершения: 0 - успех, 1 - ошибка, 2 - неверная командная строка.\n";

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onSignal(int) {
    stopRequested = 1;
}

struct Options {
    std::optional<std::string> file;
    std::optional<std::string> output;
    std::optional<std::string> device;
    bool fast = false;
    bool quiet = false;
    Fault fault = Fault::None;
    int faultBlock = 2;
    bool modem = false;
    Registration registration = Registration::Home;
    DialOutcome dial = DialOutcome::Connect;
    HangUpAnswer hangUp = HangUpAnswer::Answer;
    std::optional<std::string> dialled;
    bool modemOption = false; // --creg, --dial, --deaf-hang-up or --dialled given
};

int usage(const std::string& message) {
    std::cerr << "tk515-sim: " << message << '\n' << "Справка: tk515-sim --help\n";
    return 2;
}

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return data;
}

// Writes the file whole beside its place, then renames it over the old one.
bool saveWhole(const std::string& path, const std::vector<std::uint8_t>& data) {
    const std::string temp = path + ".tk515-sim.tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::optional<std::string>& into) {
            if (i + 1 == args.size() || args[i + 1].empty()) {
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == "-h" || a == "--help") {
            std::cout << kHelp;
            return 0;
        } else if (a == "--version") {
            std::cout << "tk515-sim " << tk::kVersion << '\n';
            return 0;
        } else if (a == "--fast") {
            o.fast = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "-o" || a == "--output") {
            if (!value(o.output)) {
                return usage("после " + a + " нужно имя файла");
            }
        } else if (a == "--device") {
            if (!value(o.device)) {
                return usage("после --device нужен путь к порту");
            }
        } else if (a == "--fault") {
            std::optional<std::string> name;
            if (!value(name)) {
                return usage(std::string("после --fault нужен вид: ") + FaultNames());
            }
            const auto f = FaultByName(*name);
            if (!f) {
                return usage("неизвестная неисправность «" + *name + "»; есть: " + FaultNames());
            }
            o.fault = *f;
        } else if (a == "--modem") {
            o.modem = true;
        } else if (a == "--creg") {
            std::optional<std::string> n;
            if (!value(n) || !RegistrationByName(*n)) {
                return usage("после --creg нужно состояние регистрации: 1, 5, 2 или none");
            }
            o.registration = *RegistrationByName(*n);
            o.modemOption = true;
        } else if (a == "--dial") {
            std::optional<std::string> n;
            if (!value(n) || !DialOutcomeByName(*n)) {
                return usage("после --dial нужен исход: connect, no-carrier или silence");
            }
            o.dial = *DialOutcomeByName(*n);
            o.modemOption = true;
        } else if (a == "--deaf-hang-up") {
            o.hangUp = HangUpAnswer::Deaf;
            o.modemOption = true;
        } else if (a == "--dialled") {
            if (!value(o.dialled)) {
                return usage("после --dialled нужно имя файла");
            }
            o.modemOption = true;
        } else if (a == "--fault-block") {
            std::optional<std::string> n;
            if (!value(n)) {
                return usage("после --fault-block нужен номер блока");
            }
            try {
                std::size_t used = 0;
                o.faultBlock = std::stoi(*n, &used);
                if (used != n->size() || o.faultBlock < 0 || o.faultBlock > 51) {
                    throw std::out_of_range(*n);
                }
            } catch (const std::exception&) {
                return usage("номер блока должен быть от 0 до 51: «" + *n + "»");
            }
        } else if (!a.empty() && a[0] == '-') {
            return usage("неизвестный параметр «" + a + "»");
        } else if (o.file) {
            return usage("указан лишний файл «" + a + "»");
        } else {
            o.file = a;
        }
    }

    if (o.modemOption && !o.modem) {
        return usage(
            "--creg, --dial, --deaf-hang-up и --dialled действуют только вместе с --modem");
    }

    // The configuration the transmitter holds.
    Configuration cfg;
    setdefault(cfg);
    if (o.file) {
        const auto data = readFile(*o.file);
        if (!data) {
            std::cerr << "tk515-sim: " << *o.file << ": Не могу открыть файл\n";
            return 1;
        }
        if (refile(cfg, *data) != StatusNone) {
            std::cerr << "tk515-sim: " << *o.file << ": Это не файл конфигурации\n";
            return 1;
        }
    }
    std::vector<std::uint8_t> image = EncodeImage(cfg);
    // The firmware version the transmitter reports: 1.05.
    const std::vector<std::pair<std::size_t, std::uint8_t>> version = {{kVersionMajorOffset, 0x01},
                                                                       {kVersionMinorOffset, 0x05}};
    for (const auto& [at, v] : version) {
        image[at] = v;
    }

    Transmitter tx(image, o.fault, o.faultBlock);
    tx.readOnlyBytes = version;
    const std::optional<std::string> saveTo = o.output ? o.output : o.file;
    if (!o.quiet) {
        tx.log = [](const std::string& line) { std::cerr << "tk515-sim: " << line << '\n'; };
    }
    tx.onWritten = [&](const std::vector<std::uint8_t>& written, int blocks) {
        const int ext = ExtBlocksOfTransfer(static_cast<int>(written.size() / kTransferBlockSize));
        // The image is all the transmitter knows of its inputs: those above the blocks
        // it holds now are back at their factory values.
        Configuration factory;
        setdefault(factory);
        for (int n = kBaseInputs + 1 + 4 * ext; n <= kInputCount; ++n) {
            cfg.Inputs[static_cast<std::size_t>(n)] = factory.Inputs[static_cast<std::size_t>(n)];
        }
        DecodeImage(cfg, std::span(written).first(ImageSize(ext)), ext);
        if (!saveTo) {
            std::cerr << "tk515-sim: записано блоков: " << blocks << '\n';
            return;
        }
        std::vector<std::uint8_t> file;
        const FileWriteError refusal = wrfile(cfg, file);
        if (refusal != FileWriteError::None) {
            std::cerr << "tk515-sim: " << *saveTo
                      << ": Не сохраняется: " << FileWriteErrorText(refusal) << '\n';
        } else if (!saveWhole(*saveTo, file)) {
            std::cerr << "tk515-sim: " << *saveTo << ": Не сохраняется\n";
        } else {
            std::cerr << "tk515-sim: записано блоков: " << blocks << ", сохранено в " << *saveTo
                      << '\n';
        }
    };

    Modem modem(tx, o.registration, o.dial, o.hangUp);
    if (!o.quiet) {
        modem.log = [](const std::string& line) {
            std::cerr << "tk515-sim: модем: " << line << '\n';
        };
    }
    modem.onDial = [&](const std::string& number) {
        std::cerr << "tk515-sim: набран номер «" << number << "»\n";
        if (o.dialled) {
            std::ofstream out(*o.dialled, std::ios::app);
            out << number << '\n';
            if (!out) {
                std::cerr << "tk515-sim: " << *o.dialled << ": Не сохраняется\n";
            }
        }
    };
    Device& device = o.modem ? static_cast<Device&>(modem) : static_cast<Device&>(tx);

    std::string error;
    std::string path;
    std::unique_ptr<SimLine> line;
    if (o.device) {
        line = SimLine::OpenDevice(*o.device, error);
        path = *o.device;
    } else {
        line = SimLine::CreatePty(path, error);
    }
    if (!line) {
        std::cerr << "tk515-sim: " << error << '\n';
        return 1;
    }
    std::cout << path << std::endl;

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    while (!stopRequested) {
        std::vector<std::uint8_t> in;
        if (!line->receive(in, 100)) {
            std::cerr << "tk515-sim: линия закрыта\n";
            return 1;
        }
        if (in.empty()) {
            continue;
        }
        const Answer answer = device.receive(in, nowMs());
        for (const auto& reply : answer.replies) {
            if (o.fault == Fault::Split && reply.size() >= 2) {
                // The first half, a pause, the rest: an answer with a gap in its middle.
                const auto half = reply.begin() + static_cast<std::ptrdiff_t>(reply.size() / 2);
                line->send(Bytes(reply.begin(), half), !o.fast);
                std::this_thread::sleep_for(std::chrono::milliseconds(kSplitPauseMs));
                line->send(Bytes(half, reply.end()), !o.fast);
            } else {
                line->send(reply, !o.fast);
            }
        }
        if (answer.hangUp) {
            line->close();
            std::cerr << "tk515-sim: линия закрыта посреди передачи\n";
            return 0;
        }
    }
    return 0;
}
