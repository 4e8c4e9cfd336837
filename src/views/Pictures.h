#pragma once

#include <QIcon>

namespace ortolan {

// The program's pictures, all drawn here with QPainter: no image files are read.
//
// Task pictures (16x16, numbered from 1) go in front of the rows of the task tree: picture 1 marks
// the list's top node, picture 2 is every task's default, the others are symbols a user picks for
// a task. Tab pictures (16x16, numbered from 1) go on the category tabs: 1 "Today", 2 "<None>",
// 3 "Main", 4 any other category.
//
// The pictures are QPixmaps, so a QGuiApplication (or QApplication) must exist before the first
// call; without one every function returns a null QIcon. They are drawn once, on the first call,
// and kept until the application object goes away. Call them from the GUI thread only.

// Task picture 1 to taskPictureCount(); a null QIcon for any other number.
QIcon taskPicture(int number);
int taskPictureCount();

// Tab picture 1 to tabPictureCount(); a null QIcon for any other number.
QIcon tabPicture(int number);
int tabPictureCount();

// The program's own icon (a bunting perched on a checklist) at 16, 32, 48, 64, 128 and 256 pixels.
// resources/ortolan.svg holds the same design for the desktop.
QIcon applicationIcon();

} // namespace ortolan
