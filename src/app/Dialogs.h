#pragma once

#include "model/Prompt.h"

#include <functional>
#include <optional>
#include <QDate>
#include <QList>
#include <QString>

class QPrinter;
class QWidget;

namespace ortolan {

struct FileDialogRequest {
    QString title;
    QString filter;        // "Ortolan Files (*.oxml);;..."
    QString defaultSuffix; // added when the name has none
    QString fileName;      // the name the dialog opens with
    bool save = false;
    bool confirmOverwrite = false;
};

struct InputRequest {
    QString title;
    QString label;
    QString text; // the answer filled in beforehand
};

// A date picker's answer: a day, or no due date at all.
struct DateChoice {
    std::optional<QDate> day; // none: "No Due Date"
};

// What a print dialog was asked for, and how a test answers one.
struct PrintRequest {
    bool preview = false;
    bool selectionOffered = false; // "Selection" could be chosen as the range
};
struct PrintChoice {
    QString pdfFile;        // where the pages go instead of a printer
    bool selection = false; // the range chosen was the selection
};

// Every message box, file dialog and input box of the program goes through here. A test turns
// on test mode and queues the answers; nothing modal is ever shown then, and every request is
// kept for the test to check. A question nobody answered is counted and answered Cancel (or No).
class Dialogs {
public:
    static PromptAnswer message(QWidget* parent, const PromptMessage& message);
    // The chosen file name, or nullopt when the dialog was cancelled.
    static std::optional<QString> fileName(QWidget* parent, const FileDialogRequest& request);
    // The text entered, or nullopt when the box was cancelled.
    static std::optional<QString> input(QWidget* parent, const InputRequest& request);
    // A day picked on a month calendar (starting at shown), "No Due Date", or nullopt when the
    // picker was cancelled.
    static std::optional<DateChoice> date(QWidget* parent, const QString& title, const QDate& shown);
    // The print dialog for printer, offering the selection as a range when there is one; false
    // when cancelled.
    static bool print(QWidget* parent, QPrinter& printer, bool selectionOffered);
    // The print preview, drawing its pages with paint; printing from it prints them.
    static void preview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter*)>& paint);

    // ---- for tests ----
    static void setTestMode(bool on); // also forgets answers and requests
    static void setNextAnswer(PromptAnswer answer);
    static void setNextFileName(std::optional<QString> name);
    static void setNextInput(std::optional<QString> text);
    static void setNextDate(std::optional<DateChoice> choice);
    // A print dialog answered with a choice prints into its PDF file; a preview draws its pages
    // into the next choice's file, if one is queued.
    static void setNextPrint(std::optional<PrintChoice> choice);
    static QList<PrintRequest> printRequests();
    static QList<QDate> dateRequests(); // the day each picker started at
    static QList<PromptMessage> messages();
    static QList<FileDialogRequest> fileRequests();
    static QList<InputRequest> inputRequests();
    static int unanswered(); // questions asked with no answer queued
};

// The core's questions, asked as message boxes of a window.
class DialogPrompt : public Prompt {
public:
    explicit DialogPrompt(QWidget* parent) : parent_(parent) {}
    PromptAnswer ask(const PromptMessage& message) override { return Dialogs::message(parent_, message); }

private:
    QWidget* parent_;
};

} // namespace ortolan
