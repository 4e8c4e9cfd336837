#include "exchange/ListPrint.h"

#include "exchange/ListExport.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace ortolan {

namespace {

QString escaped(const QString& text) {
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    return html;
}

void appendTask(QString& html, const TreeNode& node, const Task& task, int depth, int step) {
    const bool done = task.Status == kStatusComplete;
    const int indent = step * (depth - 1);
    html += QStringLiteral("<p style=\"margin-left:%1px; margin-top:3px; margin-bottom:0px;%2\">")
                .arg(indent)
                .arg(done ? QStringLiteral(" color:#888888;") : QString());
    html += done ? QStringLiteral("\u2611 ") : QStringLiteral("\u2610 ");
    html += escaped(node.Text());
    QStringList after;
    if (hasDueDate(task.DateDue))
        after << QStringLiteral("due ") + isoDueDate(task);
    if (!task.CategoryString.isEmpty())
        after << escaped(task.CategoryString);
    if (!after.isEmpty())
        html += QStringLiteral(" <span style=\"color:#555555;\">\u00B7 ") + after.join(QStringLiteral(" \u00B7 ")) +
                QStringLiteral("</span>");
    html += QStringLiteral("</p>");
    if (!task.Description.isEmpty())
        html += QStringLiteral("<p style=\"margin-left:%1px; margin-top:0px; margin-bottom:0px; font-size:8pt;%2\">%3</p>")
                    .arg(indent + step)
                    .arg(done ? QStringLiteral(" color:#888888;") : QStringLiteral(" color:#333333;"))
                    .arg(escaped(task.Description));
}

} // namespace

QString printHtml(const TaskTree& tree, const TaskHandler& th, const TreeNode* branch, int indentPixels) {
    QString html = QStringLiteral("<html><body style=\"font-size:10pt;\"><h2>") + escaped(listTitle(tree, th)) +
                   QStringLiteral("</h2>");
    // The top task's branch is the whole list, printed under its title.
    if (branch == tree.Item(kRootID))
        branch = nullptr;
    for (const ExportRow& row : exportRows(tree, th, branch))
        appendTask(html, *row.node, *row.task, row.depth, indentPixels);
    return html + QStringLiteral("</body></html>");
}

void printList(QPagedPaintDevice& device, const TaskTree& tree, const TaskHandler& th, const QString& fileName,
               const TreeNode* branch) {
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    // The page's pixels are the device's: a level of the tree is a quarter of an inch at any dpi.
    document.setHtml(printHtml(tree, th, branch, device.logicalDpiX() / 4));
    QPainter painter(&device);
    QFont footerFont = document.defaultFont();
    footerFont.setPointSizeF(8);
    const QFontMetricsF footerMetrics(footerFont, &device);
    const qreal width = device.width();
    const qreal footerHeight = footerMetrics.height() * 2;
    const qreal bodyHeight = device.height() - footerHeight;
    document.setPageSize(QSizeF(width, bodyHeight));
    const int pages = document.pageCount();
    const QString name = fileName.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(fileName).fileName();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        painter.save();
        painter.translate(0, -page * bodyHeight);
        document.drawContents(&painter, QRectF(0, page * bodyHeight, width, bodyHeight));
        painter.restore();
        painter.setFont(footerFont);
        painter.setPen(Qt::darkGray);
        const QRectF foot(0, device.height() - footerMetrics.height(), width, footerMetrics.height());
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, name);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
    }
}

void printPdf(QIODevice& out, const TaskTree& tree, const TaskHandler& th, const QString& fileName) {
    QPdfWriter writer(&out);
    writer.setTitle(QFileInfo(fileName).fileName());
    writer.setCreator(QStringLiteral("Ortolan"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printList(writer, tree, th, fileName);
}

} // namespace ortolan
