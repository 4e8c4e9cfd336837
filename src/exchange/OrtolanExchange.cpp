// The window's commands for other programs and paper: export, import, print.

#include "app/Ortolan.h"

#include "app/Dialogs.h"
#include "document/ListEdits.h"
#include "exchange/ListExport.h"
#include "exchange/ListImport.h"
#include "exchange/ListPrint.h"
#include "model/TaskHandler.h"
#include "net/Curl.h"
#include "views/TaskTreeView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSaveFile>

namespace ortolan {

namespace {

const std::pair<const char*, ExportFormat> kExports[] = {
    {"MENU_ExportICalendar", ExportFormat::ICalendar},
    {"MENU_ExportOpml", ExportFormat::Opml},
    {"MENU_ExportMarkdown", ExportFormat::Markdown},
    {"MENU_ExportCsv", ExportFormat::Csv},
};

const QString kExportTitle = QStringLiteral("Export");
const QString kImportTitle = QStringLiteral("Import");

// Writes the file whole or not at all; the reason when it could not.
std::optional<QString> writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return std::nullopt;
    return file.errorString();
}

} // namespace

void Ortolan::connectExchangeCommands() {
    for (const auto& [name, format] : kExports)
        connect(action(QLatin1String(name)), &QAction::triggered, this, [this, format = format] { MENU_Export(format); });
    connect(action(QStringLiteral("MENU_Import")), &QAction::triggered, this, &Ortolan::MENU_Import);
    connect(action(QStringLiteral("MENU_Print")), &QAction::triggered, this, &Ortolan::MENU_Print);
    connect(action(QStringLiteral("MENU_PrintPreview")), &QAction::triggered, this, &Ortolan::MENU_PrintPreview);
    connect(action(QStringLiteral("MENU_ExportPdf")), &QAction::triggered, this, &Ortolan::MENU_ExportPdf);
}

QString Ortolan::exportStart(const QString& suffix) const {
    const QFileInfo start(dialogStart());
    const QString base = start.completeBaseName().isEmpty() ? QStringLiteral("tasks") : start.completeBaseName();
    return start.absolutePath() + QLatin1Char('/') + base + QLatin1Char('.') + suffix;
}

void Ortolan::MENU_Export(ExportFormat format) {
    Tree->commitLabelEdit(); // a name being typed goes out as shown
    const QString suffix = exportSuffix(format);
    const QString filter = exportFormatName(format) + QStringLiteral(" (*.") + suffix + QLatin1Char(')');
    const std::optional<QString> path =
        Dialogs::fileName(this, {QStringLiteral("Export"), filter, suffix, exportStart(suffix), true, true});
    if (!path)
        return;
    if (const auto error = writeWhole(*path, exportList(tree_, doc_->taskH(), format))) {
        Dialogs::message(this, {QStringLiteral("Could not export to \"%1\": %2").arg(*path, *error), kExportTitle,
                                PromptIcon::Critical, PromptButtons::Ok});
        return;
    }
    setStatus(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(*path)));
}

void Ortolan::MENU_Import() {
    Tree->commitLabelEdit();
    const std::optional<QString> path = Dialogs::fileName(
        this, {QStringLiteral("Import"),
               QStringLiteral("OPML and iCalendar (*.opml *.ics *.ical *.xml);;OPML (*.opml *.xml);;"
                              "iCalendar (*.ics *.ical);;All Files (*)"),
               QString(), QFileInfo(dialogStart()).absolutePath(), false, false});
    if (!path)
        return;
    auto refuse = [this](const QString& text) {
        Dialogs::message(this, {text, kImportTitle, PromptIcon::Critical, PromptButtons::Ok});
    };
    QFile file(*path);
    if (QFileInfo(*path).size() > net::kMaxDownloadBytes)
        return refuse(QStringLiteral("\"%1\" is too large to import.").arg(*path));
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("Could not read \"%1\": %2").arg(*path, file.errorString()));
    const ImportedTasks imported = importTasks(file.readAll());
    if (!imported.ok)
        return refuse(QStringLiteral("\"%1\": %2").arg(QFileInfo(*path).fileName(), imported.error));
    TreeNode* target = tree_.SelectedItem() ? tree_.SelectedItem() : tree_.Item(kRootID);
    if (!imported.tasks.empty() && target)
        byHand([&] {
            return ListEdits(*doc_).insertTasks(target->Key(), imported.tasks, QStringLiteral("Import"), true, true);
        });
    const QString report = importReport(imported);
    if (imported.problems.isEmpty())
        setStatus(report);
    else
        Dialogs::message(this, {report, kImportTitle, PromptIcon::Warning, PromptButtons::Ok});
}

void Ortolan::MENU_Print() {
    Tree->commitLabelEdit();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(doc_->currentFileName()).fileName());
    TreeNode* selected = tree_.SelectedItem();
    if (!Dialogs::print(this, printer, selected != nullptr))
        return;
    const bool selection = printer.printRange() == QPrinter::Selection;
    printList(printer, tree_, doc_->taskH(), doc_->currentFileName(), selection ? selected : nullptr);
}

void Ortolan::MENU_PrintPreview() {
    Tree->commitLabelEdit();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(doc_->currentFileName()).fileName());
    Dialogs::preview(this, printer, [this](QPrinter* p) {
        printList(*p, tree_, doc_->taskH(), doc_->currentFileName());
    });
}

void Ortolan::MENU_ExportPdf() {
    Tree->commitLabelEdit();
    const std::optional<QString> path = Dialogs::fileName(
        this, {QStringLiteral("Export as PDF"), QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"),
               exportStart(QStringLiteral("pdf")), true, true});
    if (!path)
        return;
    QSaveFile file(*path);
    const bool written = file.open(QIODevice::WriteOnly);
    if (written)
        printPdf(file, tree_, doc_->taskH(), doc_->currentFileName());
    if (!written || !file.commit()) {
        Dialogs::message(this, {QStringLiteral("Could not export to \"%1\": %2").arg(*path, file.errorString()),
                                kExportTitle, PromptIcon::Critical, PromptButtons::Ok});
        return;
    }
    setStatus(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(*path)));
}

} // namespace ortolan
