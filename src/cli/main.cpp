// ortolan-cli: reads, checks and writes task lists without the window.

#include "exchange/ListExport.h"
#include "exchange/ListPrint.h"
#include "file/XMLManager.h"
#include "model/Prompt.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "TaskListJson.h"

#include <cstdio>
#include <memory>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QJsonDocument>
#include <QStringList>

using namespace ortolan;

namespace {

enum Exit { Success = 0, Refused = 1, Usage = 2 };

const char* const kUsage = R"(Usage: ortolan-cli [--yes] COMMAND ARGS

Commands:
  dump FILE               print the task list, as the program shows it, as JSON
  from-json IN.json OUT   write the list described by IN.json as a task-list file
  resave IN OUT           read IN and write it again as OUT
  export --format FORMAT IN OUT
                          write the list in another program's format: ics (iCalendar
                          to-dos), opml (outline), md (Markdown checklist) or csv;
                          OUT - writes to standard output
  pdf IN OUT.pdf          print the list into a PDF file, as File > Print does

Options:
  --yes                   answer Yes where the program would ask (a newer file format)
  --help                  show this text

Exit status: 0 done, 1 the input was refused (nothing written), 2 wrong usage.
)";

void printErr(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Shows what the window would ask, and answers it as --yes says.
class CliPrompt : public Prompt {
public:
    explicit CliPrompt(bool yes) : yes_(yes) {}
    PromptAnswer ask(const PromptMessage& m) override {
        printErr(m.title + QStringLiteral(": ") + m.text);
        switch (m.buttons) {
        case PromptButtons::Ok:
            return PromptAnswer::Ok;
        case PromptButtons::OkCancel:
            return yes_ ? PromptAnswer::Ok : PromptAnswer::Cancel;
        case PromptButtons::YesNo:
        case PromptButtons::YesNoCancel:
            printErr(yes_ ? QStringLiteral("(answered Yes)") : QStringLiteral("(answered No; --yes answers Yes)"));
            return yes_ ? PromptAnswer::Yes : PromptAnswer::No;
        }
        return PromptAnswer::No;
    }

private:
    bool yes_;
};

struct List {
    TaskTree tree;
    TaskHandler th;
    XMLManager xml{tree};
};

// Reads a task list for a command; false (with the reason printed) when it is refused.
bool open(List& list, const QString& path, Prompt& prompt) {
    if (!QFile::exists(path)) {
        printErr(QStringLiteral("ortolan-cli: %1: no such file").arg(path));
        return false;
    }
    list.xml.setPrompt(&prompt);
    const LoadResult r = loadTaskList(list.xml, path, list.tree, list.th);
    if (!r.ok) {
        printErr(QStringLiteral("ortolan-cli: %1: %2").arg(path, r.error));
        return false;
    }
    if (r.skippedValues > 0)
        printErr(QStringLiteral("ortolan-cli: %1: %2 value(s) could not be read and were left empty")
                     .arg(path)
                     .arg(r.skippedValues));
    return true;
}

int save(const List& list, const QString& path) {
    const SaveResult r = list.xml.saveXMLfile(path);
    if (!r.ok) {
        printErr(QStringLiteral("ortolan-cli: ") + r.error);
        return Refused;
    }
    return Success;
}

int dump(const QString& path, Prompt& prompt) {
    List list;
    if (!open(list, path, prompt))
        return Refused;
    writeTaskListJson(list.tree, list.th, [](const QByteArray& piece) {
        std::fwrite(piece.constData(), 1, size_t(piece.size()), stdout);
    });
    return std::fflush(stdout) == 0 ? Success : Refused;
}

int fromJson(const QString& in, const QString& out) {
    QFile file(in);
    if (!file.open(QIODevice::ReadOnly)) {
        printErr(QStringLiteral("ortolan-cli: %1: %2").arg(in, file.errorString()));
        return Refused;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        printErr(QStringLiteral("ortolan-cli: %1: not a task list in JSON: %2")
                     .arg(in, doc.isNull() ? parseError.errorString() : QStringLiteral("expected an object")));
        return Refused;
    }
    List list;
    QString error;
    if (!taskListFromJson(doc.object(), list.tree, list.th, &error)) {
        printErr(QStringLiteral("ortolan-cli: %1: %2").arg(in, error));
        return Refused;
    }
    list.xml.setTaskHandler(&list.th);
    return save(list, out);
}

int resave(const QString& in, const QString& out, Prompt& prompt) {
    List list;
    if (!open(list, in, prompt))
        return Refused;
    return save(list, out);
}

// Writes the bytes to the file whole (or not at all), or to standard output for "-".
int writeOut(const QString& out, const QByteArray& bytes) {
    if (out == QLatin1String("-")) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 ? Success : Refused;
    }
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        printErr(QStringLiteral("ortolan-cli: %1: %2").arg(out, file.errorString()));
        return Refused;
    }
    return Success;
}

int exportTo(const QString& formatName, const QString& in, const QString& out, Prompt& prompt) {
    const std::optional<ExportFormat> format = exportFormatFromName(formatName);
    if (!format) {
        printErr(QStringLiteral("ortolan-cli: unknown format \"%1\" (ics, opml, md or csv)").arg(formatName));
        std::fputs(kUsage, stderr);
        return Usage;
    }
    List list;
    if (!open(list, in, prompt))
        return Refused;
    return writeOut(out, exportList(list.tree, list.th, *format));
}

int pdf(const QString& in, const QString& out, Prompt& prompt) {
    List list;
    if (!open(list, in, prompt))
        return Refused;
    // Written beside the target and moved over it once whole.
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly)) {
        printErr(QStringLiteral("ortolan-cli: %1: %2").arg(out, file.errorString()));
        return Refused;
    }
    printPdf(file, list.tree, list.th, in);
    if (!file.commit()) {
        printErr(QStringLiteral("ortolan-cli: %1: %2").arg(out, file.errorString()));
        return Refused;
    }
    return Success;
}

} // namespace

int main(int argc, char** argv) {
    // Printing lays text out with fonts, which takes a GUI application; it needs no display.
    const bool printing = argc > 1 && QByteArray(argv[argc > 2 && QByteArray(argv[1]) == "--yes" ? 2 : 1]) == "pdf";
    if (printing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        printing ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    QStringList args = app.arguments().mid(1);
    const bool yes = args.removeAll(QStringLiteral("--yes")) > 0;
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return Success;
    }
    CliPrompt prompt(yes);
    const QString command = args.value(0);
    if (command == QLatin1String("dump") && args.size() == 2)
        return dump(args[1], prompt);
    if (command == QLatin1String("from-json") && args.size() == 3)
        return fromJson(args[1], args[2]);
    if (command == QLatin1String("resave") && args.size() == 3)
        return resave(args[1], args[2], prompt);
    if (command == QLatin1String("export") && args.size() == 5 && args[1] == QLatin1String("--format"))
        return exportTo(args[2], args[3], args[4], prompt);
    if (command == QLatin1String("pdf") && args.size() == 3)
        return pdf(args[1], args[2], prompt);
    std::fputs(kUsage, stderr);
    return Usage;
}
