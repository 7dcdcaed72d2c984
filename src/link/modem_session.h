// The remote sessions: a GSM modem on the port calls the transmitter's SIM and the
// block transfer of the cable runs over the call. Each command is one self-contained
// session, a plain synchronous function over a SerialLine and a Clock: it opens the
// port, prepares the modem, checks the network registration, dials, transfers, hangs
// up and closes the port. Like the cable sessions they move image bytes only; the
// caller encodes before a write and decodes (image/: DecodeRemoteImage) after a read.
#pragma once

#include "link/clock.h"
#include "link/report.h"
#include "link/serialline.h"
#include "link/session.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace tk::link {

// Message texts of the remote sessions (UTF-8).
inline constexpr const char* kModemNotConnectedText = "Модем не подключен";
inline constexpr const char* kNoTelephoneText = "Не введен телефон модуля";
inline constexpr const char* kNotRegisteredText = "Модем не зарегистрирован в сети";
inline constexpr const char* kNoCallText = "Нет связи с удаленным объектом";
inline constexpr const char* kNoAnswerText = "Ошибка! Нет ответа от объекта";
inline constexpr const char* kRemoteReadOkText = "Удаленное чтение успешно завершено!";
inline constexpr const char* kRemoteWriteOkText = "Удаленная запись успешно завершена.";
// A number with a control character (a CR would end the dial command early and let
// the rest of the number reach the modem as a command of its own) is not dialled.
inline constexpr const char* kBadTelephoneText = "Телефон модуля содержит недопустимые символы";

// True when the number can follow "ATD": no control characters (bytes below 32, 127).
bool DialableTelephone(const std::string& telephone);

inline constexpr int kModemPauseMs = 2000;       // between two modem commands, around "+++AT"
inline constexpr int kModemSettleMs = 200;       // instead, quick exchange (hang-up: 2 s)
inline constexpr int kModemCommandTimeout = 20;  // 2 s: "ATE=0", "AT", "AT+CBST"
inline constexpr int kRegistrationTimeout = 100; // 10 s
inline constexpr int kDialTimeout = 400;         // 40 s
inline constexpr int kHangUpTimeout = 40;        // 4 s: "+++AT", "ATH"

// The warning after a hang-up that the modem did not answer with "OK" (the unanswered
// commands in brackets between the two texts).
inline constexpr const char* kHangUpUnconfirmedText = "Отбой не подтвержден";
inline constexpr const char* kHangUpAdviceText =
    "Модем может оставаться на связи с объектом: выключите и снова включите модем, "
    "прежде чем звонить снова.";

struct RemoteResult : SessionResult {
    bool dialled = false; // "ATD" was sent
    bool hungUp = false;  // the hang-up ran ("+++AT", "ATH")
};

// Udalwrite1Click's line work. image: the encoded base image and its extension blocks
// (EncodeImage, which sets ExtBlocksCount), 896 + 384·E bytes, E = 0..15; it is sent
// as 7 + 3E blocks after "pdum" with that count. telephone: TxTlfNum, dialled as it
// stands. Success: message "Удаленная запись успешно завершена.".
//
// Both sessions: "Check modem", setdcb(1), "ATE=0\r", "AT\r", "AT+CBST=71,0,1\r" 2 s
// apart; the empty-telephone check ("Не введен телефон модуля"); "Checking GSMNet",
// "AT+CREG?\r" (home or roaming) (a number that is not DialableTelephone stops there
// too, with "Телефон модуля содержит недопустимые символы"); 2 s, "Connecting", "ATD" + number +
// CR; the transfer; the hang-up ("Disconnect", 2 s, "+++AT\r", 2 s, "ATH\r") on every path that
// reached the registration query. The line is closed at the end on every path (unless it was open
// before the session, held by the cable link: then the open is refused with "Порт занят" and the
// line is left as it was). `cancel` is read before each modem command and once per wait slice
// (pauses and pending answers alike): the session stops within 10 ms, sends no further command,
// hangs up when the registration query has gone out, and ends with `cancelled` and no message.
// A hang-up whose "+++AT" or "ATH" got no "OK" leaves the result's warning set.
RemoteResult RemoteWrite(SerialLine& line, Clock& clock, const LinkParams& params,
                         const std::string& telephone, std::span<const std::uint8_t> image,
                         const std::atomic<bool>& cancel, const Reporter& reporter = {});

// Udalread1Click's line work (after the caller's save question): the
// preparation as above, then "rdump\r" gives N, and for each block 300 ms, "Reading"
// hh, "read" hh "\r". Success: "Read OK. It was readed N blocks.", the blocks to the
// reporter (received, so the caller shows them during the hang-up), then the hang-up
// and message "Удаленное чтение успешно завершено!"; image holds the first 128 bytes
// of each answer (at least 896 bytes) and blocks is N.
RemoteResult RemoteRead(SerialLine& line, Clock& clock, const LinkParams& params,
                        const std::string& telephone, const std::atomic<bool>& cancel,
                        const Reporter& reporter = {});

} // namespace tk::link
