#include "TaskListJson.h"

#include "file/XMLManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "views/Colouring.h"

#include <algorithm>
#include <limits>
#include <QJsonArray>
#include <vector>

namespace ortolan {

namespace {

QString colourName(NodeColour c) {
    switch (c) {
    case kColourBlack:
        return QStringLiteral("black");
    case kColourDarkRed:
        return QStringLiteral("darkred");
    case kColourGrey:
        return QStringLiteral("grey");
    default:
        return QStringLiteral("#%1").arg(c, 6, 16, QLatin1Char('0'));
    }
}

constexpr int kMostIndents = 32;
constexpr qsizetype kPiece = 1 << 20;

class JsonOut {
public:
    explicit JsonOut(const JsonSink& sink) : sink_(sink) { buf_.reserve(kPiece + 4096); }
    ~JsonOut() { flush(); }

    void raw(const char* text) { buf_ += text; }
    void newline(int depth) {
        buf_ += '\n';
        buf_.append(qsizetype(std::min(depth, kMostIndents)) * 4, ' ');
    }
    void key(int depth, const char* name) {
        newline(depth);
        buf_ += '"';
        buf_ += name;
        buf_ += "\": ";
    }
    void string(const QString& text) {
        buf_ += '"';
        const QByteArray utf8 = text.toUtf8();
        for (const char c : utf8) {
            const auto b = static_cast<unsigned char>(c);
            if (b == '"' || b == '\\') {
                buf_ += '\\';
                buf_ += c;
            } else if (b < 0x20) {
                static const char hex[] = "0123456789abcdef";
                buf_ += "\\u00";
                buf_ += hex[b >> 4];
                buf_ += hex[b & 15];
            } else {
                buf_ += c;
            }
        }
        buf_ += '"';
    }
    void number(qint64 n) { buf_ += QByteArray::number(n); }
    void boolean(bool b) { buf_ += b ? "true" : "false"; }
    void pieceDone() {
        if (buf_.size() >= kPiece)
            flush();
    }

private:
    void flush() {
        if (!buf_.isEmpty())
            sink_(buf_);
        buf_.resize(0);
    }

    const JsonSink& sink_;
    QByteArray buf_;
};

// A task's fields, up to its list of children, which is left open.
void openTask(JsonOut& out, const TreeNode* node, const TaskHandler& th, int depth) {
    static const Task blank;
    const Task* found = th.taskOf(node);
    const Task& task = found ? *found : blank;
    out.newline(depth);
    out.raw("{");
    const int in = depth + 1;
    const auto text = [&](const char* name, const QString& value) {
        out.key(in, name);
        out.string(value);
        out.raw(",");
    };
    const auto number = [&](const char* name, qint64 value) {
        out.key(in, name);
        out.number(value);
        out.raw(",");
    };
    out.key(in, "bold");
    out.boolean(node->Bold());
    out.raw(",");
    text("categories", task.CategoryString);
    text("colour", colourName(node->ForeColor()));
    text("description", task.Description);
    text("due", formatDueDate(task.DateDue));
    number("icon", task.IconIndex);
    number("image", node->Image());
    text("key", node->Key());
    text("name", task.TaskName);
    text("status", task.Status);
    text("text", node->Text());
    out.key(in, "children");
    out.raw("[");
}

bool readTasks(const QJsonArray& tasks, TreeNode* parent, const QString& path, TaskTree& tree, TaskHandler& th,
               QString* error) {
    for (qsizetype i = 0; i < tasks.size(); ++i) {
        const QString where = path + QStringLiteral("[%1]").arg(i);
        if (!tasks[i].isObject()) {
            *error = where + QStringLiteral(": a task must be an object");
            return false;
        }
        const QJsonObject o = tasks[i].toObject();
        for (const char* field : {"name", "description", "categories", "status", "due"}) {
            const QJsonValue v = o.value(QLatin1String(field));
            if (!v.isUndefined() && !v.isString()) {
                *error = where + QStringLiteral(": \"%1\" must be text").arg(QLatin1String(field));
                return false;
            }
        }
        auto task = std::make_unique<Task>();
        task->ID = th.getNewTaskID();
        task->TaskName = o.value(QLatin1String("name")).toString();
        task->Description = o.value(QLatin1String("description")).toString();
        task->CategoryString = o.value(QLatin1String("categories")).toString();
        task->Status = o.value(QLatin1String("status")).toString();
        const QJsonValue icon = o.value(QLatin1String("icon"));
        if (!icon.isUndefined()) {
            const double n = icon.toDouble(std::numeric_limits<double>::quiet_NaN());
            if (!icon.isDouble() || n != double(qint16(n)) || n < std::numeric_limits<qint16>::min() ||
                n > std::numeric_limits<qint16>::max()) {
                *error = where + QStringLiteral(": \"icon\" must be a whole number from -32768 to 32767");
                return false;
            }
            task->IconIndex = qint16(n);
        }
        const QString due = o.value(QLatin1String("due")).toString();
        const auto date = parseDueDate(due);
        if (!date) {
            *error = where + QStringLiteral(": the due date \"%1\" cannot be read").arg(due);
            return false;
        }
        task->DateDue = *date;
        const int image = task->IconIndex >= 1 && task->IconIndex <= XMLManager::kPictureCount ? task->IconIndex : 2;
        TreeNode* node = tree.Add(parent, task->ID, task->TaskName, image);
        th.addTask(std::move(task));
        const QJsonValue children = o.value(QLatin1String("children"));
        if (!children.isUndefined() && !children.isArray()) {
            *error = where + QStringLiteral(": \"children\" must be a list");
            return false;
        }
        if (!readTasks(children.toArray(), node, where + QStringLiteral(".children"), tree, th, error))
            return false;
    }
    return true;
}

} // namespace

void writeTaskListJson(const TaskTree& tree, const TaskHandler& th, const JsonSink& sink) {
    JsonOut out(sink);
    const TreeNode* top = tree.Item(1);
    out.raw("{");
    out.key(1, "count");
    out.number(qint64(th.getTaskCount()));
    out.raw(",");
    out.key(1, "title");
    out.string(top ? top->Text() : QString());
    out.raw(",");
    out.key(1, "tasks");
    out.raw("[");
    // Depth first, the path down held in a list: each entry is the next node to write at that
    // depth, null once its siblings are done.
    std::vector<const TreeNode*> path{top ? top->Child() : nullptr};
    while (!path.empty()) {
        out.pieceDone();
        const TreeNode* node = path.back();
        const int depth = int(path.size()) * 2; // a task's braces sit two levels inside its list
        if (!node) {
            path.pop_back();
            if (path.empty())
                break;
            // the children's list of the task above is done, and so is that task
            out.newline(depth - 1);
            out.raw("]");
            out.newline(depth - 2);
            out.raw("}");
            const TreeNode* done = path.back();
            path.back() = done->Next();
            if (done->Next())
                out.raw(",");
            continue;
        }
        openTask(out, node, th, depth);
        path.push_back(node->Child());
    }
    out.newline(1);
    out.raw("]");
    out.newline(0);
    out.raw("}\n");
}

bool taskListFromJson(const QJsonObject& json, TaskTree& tree, TaskHandler& th, QString* error) {
    prepareEmptyList(tree, th);
    const QJsonValue title = json.value(QLatin1String("title"));
    if (!title.isUndefined() && !title.isString()) {
        *error = QStringLiteral("\"title\" must be text");
        return false;
    }
    const QString text = title.toString();
    th.getTask(kRootID)->TaskName = text;
    tree.Item(kRootID)->setText(text);
    const QJsonValue tasks = json.value(QLatin1String("tasks"));
    if (!tasks.isUndefined() && !tasks.isArray()) {
        *error = QStringLiteral("\"tasks\" must be a list");
        return false;
    }
    return readTasks(tasks.toArray(), tree.Item(kRootID), QStringLiteral("tasks"), tree, th, error);
}

} // namespace ortolan
