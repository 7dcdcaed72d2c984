// Shared by the end-to-end tests: tk515-sim on a new pseudo-terminal (sim_process.h),
// and what a trace shows as sent (tk515 itself runs through cli_support.h).
#pragma once

#include "cli_support.h"
#include "sim_process.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace tk::test {

inline QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The bytes a trace shows as sent ("   12 ms  > 41 54  |AT|"), joined.
inline QByteArray sentBytes(const QByteArray& trace) {
    QByteArray sent;
    for (const QByteArray& line : trace.split('\n')) {
        const qsizetype at = line.indexOf("ms  > ");
        if (at < 0) {
            continue;
        }
        const QByteArray hex = line.mid(at + 6, line.indexOf("  |", at) - at - 6);
        sent += QByteArray::fromHex(hex.simplified().replace(' ', ""));
    }
    return sent;
}

} // namespace tk::test
