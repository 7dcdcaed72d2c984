// The window's commands around the configuration beyond New, Open and Save: the two
// checks of "Параметры" around a write (kept in the settings), "Сравнить с файлом…",
// "Резервные копии…", "Печать…" and "Экспорт в PDF…" of "Файл".
#pragma once

#include "model/configuration.h"
#include "ui/navigation.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tk {

class BackupsDialog;
class CommandBars;
class CompareDialog;
class Editor;
class PanelContext;
class Prompts;

class FileExtras : public QObject {
    Q_OBJECT
public:
    // `show` shows a view of the window; the dialogs are shown over `window`.
    FileExtras(QWidget* window, CommandBars& bars, Editor& editor, PanelContext& ctx,
               Prompts& prompts, std::function<void(const View&)> show);

    void Compare1Click();
    void Backups1Click();
    void Print1Click();
    void Pdf1Click();

    // Opens the configuration file at `path` as an untitled configuration, after New's
    // question. False when it cannot be read or the question was cancelled.
    bool openAsUntitled(const QString& path);
    // Compares the configuration being edited with the file at `path`.
    bool compareWith(const QString& path);

    CompareDialog& compareDialog();
    BackupsDialog& backupsDialog();

    // Where "Экспорт в PDF…" writes (the save dialog unless replaced, as tests do).
    std::function<std::optional<QString>(const QString& preset)> pdfFileName;

private:
    // The configuration in the file; nothing, with the message, when it is none.
    std::optional<Configuration> readConfiguration(const QString& path);
    QString sheetFileName() const;

    QWidget* window_;
    Editor& editor_;
    PanelContext& ctx_;
    Prompts& prompts_;
    std::function<void(const View&)> show_;
    CompareDialog* compare_ = nullptr;
    BackupsDialog* backups_ = nullptr;
};

} // namespace tk
