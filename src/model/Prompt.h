#pragma once

#include <QString>

namespace ortolan {

inline const QString kAppTitle = QStringLiteral("Ortolan");

enum class PromptIcon { None, Information, Warning, Critical, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// A question or notice for the user: the window shows it as a message box, the command-line
// tool prints it, tests pre-answer it.
struct PromptMessage {
    QString text;
    QString title = kAppTitle;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
};

class Prompt {
public:
    virtual ~Prompt() = default;
    virtual PromptAnswer ask(const PromptMessage& message) = 0;
};

} // namespace ortolan
