#include "Dialogs.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace ortolan {

namespace {

struct TestState {
    bool on = false;
    QList<PromptAnswer> answers;
    QList<std::optional<QString>> fileNames;
    QList<std::optional<QString>> inputs;
    QList<PromptMessage> messages;
    QList<FileDialogRequest> fileRequests;
    QList<InputRequest> inputRequests;
    QList<std::optional<DateChoice>> dates;
    QList<QDate> dateRequests;
    QList<std::optional<PrintChoice>> prints;
    QList<PrintRequest> printRequests;
    int unanswered = 0;
};

TestState& test() {
    static TestState state;
    return state;
}

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok:
        return QMessageBox::Ok;
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// What closing the box without a choice means.
PromptAnswer escapeAnswer(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok:
        return PromptAnswer::Ok;
    case PromptButtons::YesNo:
        return PromptAnswer::No;
    case PromptButtons::OkCancel:
    case PromptButtons::YesNoCancel:
        break;
    }
    return PromptAnswer::Cancel;
}

// The next queued answer; a question nobody answered is counted and cancelled.
template <typename T> std::optional<T> nextAnswer(QList<std::optional<T>>& queue) {
    if (queue.isEmpty()) {
        ++test().unanswered;
        return std::nullopt;
    }
    return queue.takeFirst();
}

} // namespace

PromptAnswer Dialogs::message(QWidget* parent, const PromptMessage& m) {
    TestState& t = test();
    if (t.on) {
        t.messages << m;
        if (m.buttons == PromptButtons::Ok)
            return PromptAnswer::Ok; // a notice has one answer: nothing to queue for it
        if (t.answers.isEmpty()) {
            ++t.unanswered;
            return escapeAnswer(m.buttons);
        }
        return t.answers.takeFirst();
    }
    QMessageBox box(boxIcon(m.icon), m.title, m.text, boxButtons(m.buttons), parent);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    default:
        return escapeAnswer(m.buttons);
    }
}

std::optional<QString> Dialogs::fileName(QWidget* parent, const FileDialogRequest& r) {
    TestState& t = test();
    if (t.on) {
        t.fileRequests << r;
        return nextAnswer(t.fileNames);
    }
    QFileDialog dialog(parent, r.title, QString(), r.filter);
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> Dialogs::input(QWidget* parent, const InputRequest& r) {
    TestState& t = test();
    if (t.on) {
        t.inputRequests << r;
        return nextAnswer(t.inputs);
    }
    bool ok = false;
    const QString text = QInputDialog::getText(parent, r.title, r.label, QLineEdit::Normal, r.text, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<DateChoice> Dialogs::date(QWidget* parent, const QString& title, const QDate& shown) {
    TestState& t = test();
    if (t.on) {
        t.dateRequests << shown;
        return nextAnswer(t.dates);
    }
    QDialog picker(parent);
    picker.setWindowTitle(title);
    auto* calendar = new QCalendarWidget(&picker);
    calendar->setSelectedDate(shown);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &picker);
    QPushButton* none = buttons->addButton(QStringLiteral("No Due Date"), QDialogButtonBox::ResetRole);
    bool noDate = false;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &picker, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &picker, &QDialog::reject);
    QObject::connect(calendar, &QCalendarWidget::activated, &picker, &QDialog::accept);
    QObject::connect(none, &QPushButton::clicked, &picker, [&] {
        noDate = true;
        picker.accept();
    });
    auto* layout = new QVBoxLayout(&picker);
    layout->addWidget(calendar);
    layout->addWidget(buttons);
    if (picker.exec() != QDialog::Accepted)
        return std::nullopt;
    return noDate ? DateChoice{} : DateChoice{calendar->selectedDate()};
}

namespace {

// The next queued print choice, put into the printer; false when none is queued or it cancels.
bool takePrintChoice(QPrinter& printer) {
    const std::optional<PrintChoice> choice = nextAnswer(test().prints);
    if (!choice)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(choice->pdfFile);
    printer.setPrintRange(choice->selection ? QPrinter::Selection : QPrinter::AllPages);
    return true;
}

} // namespace

bool Dialogs::print(QWidget* parent, QPrinter& printer, bool selectionOffered) {
    TestState& t = test();
    if (t.on) {
        t.printRequests << PrintRequest{false, selectionOffered};
        return takePrintChoice(printer);
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionOffered);
    return dialog.exec() == QDialog::Accepted;
}

void Dialogs::preview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
    TestState& t = test();
    if (t.on) {
        t.printRequests << PrintRequest{true, false};
        if (takePrintChoice(printer))
            paint(&printer);
        return;
    }
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) { paint(p); });
    dialog.exec();
}

void Dialogs::setNextPrint(std::optional<PrintChoice> choice) {
    test().prints << std::move(choice);
}

QList<PrintRequest> Dialogs::printRequests() {
    return test().printRequests;
}

void Dialogs::setNextDate(std::optional<DateChoice> choice) {
    test().dates << choice;
}

QList<QDate> Dialogs::dateRequests() {
    return test().dateRequests;
}

void Dialogs::setTestMode(bool on) {
    test() = TestState();
    test().on = on;
}

void Dialogs::setNextAnswer(PromptAnswer answer) {
    test().answers << answer;
}
void Dialogs::setNextFileName(std::optional<QString> name) {
    test().fileNames << std::move(name);
}
void Dialogs::setNextInput(std::optional<QString> text) {
    test().inputs << std::move(text);
}
QList<PromptMessage> Dialogs::messages() {
    return test().messages;
}
QList<FileDialogRequest> Dialogs::fileRequests() {
    return test().fileRequests;
}
QList<InputRequest> Dialogs::inputRequests() {
    return test().inputRequests;
}
int Dialogs::unanswered() {
    return test().unanswered;
}

} // namespace ortolan
