#pragma once

#include <QString>

class QIODevice;
class QPagedPaintDevice;

namespace ortolan {

class TaskHandler;
class TaskTree;
class TreeNode;

// The list as printed pages: the title, then each task indented as in the tree with a box (or a
// tick when completed), completed tasks grey, the due date and categories after the name and the
// description in smaller type under it; the file's name and "Page 2 of 5" at the foot of each
// page. With a branch, the pages hold that task and everything below it. Tasks named
// "[NOT SAVED]" are left out as in a save.
void printList(QPagedPaintDevice& device, const TaskTree& tree, const TaskHandler& th, const QString& fileName,
               const TreeNode* branch = nullptr);

// The same pages as a PDF document (A4, margins of 15 mm) written to out.
void printPdf(QIODevice& out, const TaskTree& tree, const TaskHandler& th, const QString& fileName);

// The same pages' text as HTML, as they are laid out, each level of the tree indented by
// indentPixels more.
QString printHtml(const TaskTree& tree, const TaskHandler& th, const TreeNode* branch, int indentPixels);

} // namespace ortolan
