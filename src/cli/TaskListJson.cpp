#include "TaskListJson.h"

#include "file/XMLManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "views/Colouring.h"

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

QJsonObject nodeToJson(const TreeNode* node, const TaskHandler& th) {
    const Task blank;
    const Task* found = th.taskOf(node);
    const Task& task = found ? *found : blank;
    QJsonObject o;
    o[QStringLiteral("key")] = node->Key();
    o[QStringLiteral("name")] = task.TaskName;
    o[QStringLiteral("text")] = node->Text();
    o[QStringLiteral("description")] = task.Description;
    o[QStringLiteral("categories")] = task.CategoryString;
    o[QStringLiteral("icon")] = task.IconIndex;
    o[QStringLiteral("image")] = node->Image();
    o[QStringLiteral("status")] = task.Status;
    o[QStringLiteral("due")] = formatDueDate(task.DateDue);
    o[QStringLiteral("colour")] = colourName(node->ForeColor());
    o[QStringLiteral("bold")] = node->Bold();
    QJsonArray children;
    for (const TreeNode* c = node->Child(); c; c = c->Next())
        children.append(nodeToJson(c, th));
    o[QStringLiteral("children")] = children;
    return o;
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

QJsonObject taskListToJson(const TaskTree& tree, const TaskHandler& th) {
    QJsonObject list;
    const TreeNode* top = tree.Item(1);
    list[QStringLiteral("title")] = top ? top->Text() : QString();
    list[QStringLiteral("count")] = qint64(th.getTaskCount());
    QJsonArray tasks;
    if (top)
        for (const TreeNode* c = top->Child(); c; c = c->Next())
            tasks.append(nodeToJson(c, th));
    list[QStringLiteral("tasks")] = tasks;
    return list;
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
