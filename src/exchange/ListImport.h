#pragma once

#include "editing/TaskFragment.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ortolan {

// Tasks read from another program's file: OPML outlines, or the to-dos of an iCalendar file
// with their RELATED-TO parents.
struct ImportedTasks {
    bool ok = false;      // the file is OPML or iCalendar; error says why not
    QString error;
    FragmentTasks tasks;  // in tree order, each after its parent
    QStringList problems; // what was not read whole, with how many tasks it concerns
};

ImportedTasks importTasks(const QByteArray& bytes);

// "Imported 12 tasks." and the problems, for the user.
QString importReport(const ImportedTasks& imported);

} // namespace ortolan
