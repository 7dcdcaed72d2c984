#include "ui/fileextras.h"

#include "files/backups.h"
#include "files/fileio.h"
#include "files/format.h"
#include "files/settings.h"
#include "model/defaults.h"
#include "sheet/sheet.h"
#include "ui/backupsdialog.h"
#include "ui/commandbars.h"
#include "ui/comparedialog.h"
#include "ui/editor.h"
#include "ui/panelcontext.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace tk {

namespace {

// No configuration file comes near this size.
constexpr std::size_t kMaxConfigurationFile = 1 << 20;

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

FileExtras::FileExtras(QWidget* window, CommandBars& bars, Editor& editor, PanelContext& ctx,
                       Prompts& prompts, std::function<void(const View&)> show)
    : QObject(window), window_(window), editor_(editor), ctx_(ctx), prompts_(prompts),
      show_(std::move(show)) {
    bars.BackupBeforeWrite1->setChecked(reregBackupBeforeWrite());
    bars.VerifyWrite1->setChecked(reregVerifyAfterWrite());
    connect(bars.BackupBeforeWrite1, &QAction::toggled, this,
            [](bool on) { wrregBackupBeforeWrite(on); });
    connect(bars.VerifyWrite1, &QAction::toggled, this, [](bool on) { wrregVerifyAfterWrite(on); });
    pdfFileName = [this](const QString& preset) -> std::optional<QString> {
        const QString chosen = QFileDialog::getSaveFileName(
            window_, QStringLiteral("Экспорт в PDF"), preset, QStringLiteral("PDF (*.pdf)"));
        if (chosen.isEmpty()) {
            return std::nullopt;
        }
        return chosen.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                   ? chosen
                   : chosen + QStringLiteral(".pdf");
    };
}

CompareDialog& FileExtras::compareDialog() {
    if (compare_ == nullptr) {
        compare_ = new CompareDialog(window_, editor_, show_);
    }
    return *compare_;
}

BackupsDialog& FileExtras::backupsDialog() {
    if (backups_ == nullptr) {
        backups_ = new BackupsDialog(window_);
        connect(backups_, &BackupsDialog::openChosen, this, [this](const QString& path) {
            if (openAsUntitled(path)) {
                backups_->accept();
            }
        });
        connect(backups_, &BackupsDialog::compareChosen, this,
                [this](const QString& path) { compareWith(path); });
    }
    return *backups_;
}

std::optional<Configuration> FileExtras::readConfiguration(const QString& path) {
    // Read only: a backup or a file on a read-only medium is compared as any other.
    const ReadResult read = readFile(toPath(path), kMaxConfigurationFile, false);
    if (!read.ok()) {
        prompts_.message(
            QStringLiteral("Не могу открыть файл %1: %2")
                .arg(QDir::toNativeSeparators(path), QString::fromStdString(read.reason)));
        return std::nullopt;
    }
    // Decoded over the factory values, as Open decodes a file.
    Configuration cfg;
    tk::setdefault(cfg);
    if (refile(cfg, read.bytes) != StatusNone) {
        prompts_.message(QStringLiteral("Файл %1 не является файлом конфигурации передатчика.")
                             .arg(QDir::toNativeSeparators(path)));
        return std::nullopt;
    }
    return cfg;
}

bool FileExtras::openAsUntitled(const QString& path) {
    if (ctx_.fillGuard()) {
        return false;
    }
    const std::optional<Configuration> cfg = readConfiguration(path);
    if (!cfg || !editor_.document().offerSaveForNew()) {
        return false;
    }
    editor_.takeRead(*cfg);
    return true;
}

bool FileExtras::compareWith(const QString& path) {
    const std::optional<Configuration> other = readConfiguration(path);
    if (!other) {
        return false;
    }
    CompareDialog& dialog = compareDialog();
    dialog.compareWith(*other, QFileInfo(path).fileName());
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    return true;
}

void FileExtras::Compare1Click() {
    const std::optional<QString> path = prompts_.openFileName(editor_.document().LastFolder());
    if (path) {
        compareWith(*path);
    }
}

void FileExtras::Backups1Click() {
    BackupsDialog& dialog = backupsDialog();
    dialog.list(BackupFolder());
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

QString FileExtras::sheetFileName() const {
    const Document& doc = editor_.document();
    return doc.Untitled() ? doc.FileTitle() : QDir::toNativeSeparators(doc.OpenFileName());
}

void FileExtras::Print1Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(editor_.document().FileTitle());
    QPrintDialog dialog(&printer, window_);
    dialog.setWindowTitle(QStringLiteral("Печать конфигурации"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const SheetSource source{sheetFileName(), QDateTime::currentDateTime()};
    const std::unique_ptr<QTextDocument> sheet = BuildSheet(editor_.record(), source);
    if (PrintSheet(*sheet, printer, source) == 0) {
        prompts_.message(QStringLiteral("Печать не удалась: принтер не принял страницы."));
    }
}

void FileExtras::Pdf1Click() {
    const Document& doc = editor_.document();
    const QString base =
        QFileInfo(doc.Untitled() ? doc.FileTitle() : doc.OpenFileName()).completeBaseName();
    const QString folder = doc.Untitled() ? doc.LastFolder() : QFileInfo(doc.OpenFileName()).path();
    const std::optional<QString> path =
        pdfFileName(QDir(folder).filePath(base + QStringLiteral(".pdf")));
    if (!path) {
        return;
    }
    const QByteArray pdf =
        SheetPdf(editor_.record(), {sheetFileName(), QDateTime::currentDateTime()});
    const WriteResult written =
        writeFileWhole(toPath(*path),
                       std::span(reinterpret_cast<const std::uint8_t*>(pdf.constData()),
                                 static_cast<std::size_t>(pdf.size())),
                       PipeWait::Refuse);
    if (!written.ok()) {
        prompts_.message(
            QStringLiteral("Лист конфигурации не сохранён в %1: %2")
                .arg(QDir::toNativeSeparators(*path), QString::fromStdString(written.reason)));
    }
}

} // namespace tk
