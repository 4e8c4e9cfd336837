#include "TaskListWriter.h"

#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "ValueCodec.h"

#include <algorithm>
#include <vector>

namespace ortolan {

namespace {


// Levels deeper than this get no more tabs: with a tab per level all the way down, a deep tree
// would make the file grow with the square of its depth. The reader ignores the tabs anyway.
constexpr int kMostTabs = 32;

QByteArray indentFor(int depth) {
    return QByteArray(qsizetype(std::min(depth, kMostTabs)), '\t');
}

} // namespace

// The output buffer, handed on to the sink whenever it fills.
class Output {
public:
    static constexpr qsizetype kPiece = 1 << 20;

    // Writes into pieces for the sink, breaking UTF-8 once where breakUtf8 says so.
    Output(const TaskListWriter::Sink& sink, bool breakUtf8) : sink_(&sink), breakUtf8_(breakUtf8) {
        buf_.reserve(kPiece + 4096);
    }
    // Writes nothing: only follows the values, and stops once the file cannot read as UTF-8.
    explicit Output(ValueCodec::Utf8Check& check) : check_(&check) {}

    template <size_t N> void put(const char (&text)[N]) {
        if (!check_)
            buf_.append(text, qsizetype(N - 1));
    }
    void put(const QByteArray& bytes) {
        if (!check_)
            buf_.append(bytes);
    }
    void value(QStringView v) {
        if (check_)
            check_->add(v);
        else
            ValueCodec::appendEncoded(buf_, v, &breakUtf8_);
    }

    template <size_t O, size_t C>
    void line(const QByteArray& indent, const char (&open)[O], QStringView v, const char (&close)[C]) {
        put(indent);
        put(open);
        value(v);
        put(close);
        put("\r\n");
    }

    // Ends a piece once it is full; false when the sink refused it.
    bool endPiece(bool last = false) {
        if (check_)
            return !check_->invalid();
        if (!ok_ || (!last && buf_.size() < kPiece))
            return ok_;
        ok_ = (*sink_)(QByteArrayView(buf_));
        buf_.resize(0); // keeps the capacity for the next piece
        return ok_;
    }

private:
    const TaskListWriter::Sink* sink_ = nullptr;
    ValueCodec::Utf8Check* check_ = nullptr;
    QByteArray buf_;
    bool ok_ = true;
    bool breakUtf8_ = false;
};

namespace {

void writeFields(Output& out, const QByteArray& indent, const Task& task) {
    out.line(indent, "<NAME>", task.TaskName, "</NAME>");
    out.line(indent, "<DESC>", task.Description, "</DESC>");
    out.line(indent, "<CATEGORIES>", task.CategoryString, "</CATEGORIES>");
    out.put(indent);
    out.put("<ICONINDEX>");
    out.put(QByteArray::number(task.IconIndex));
    out.put("</ICONINDEX>\r\n");
    out.line(indent, "<STATUS>", task.Status, "</STATUS>");
    out.line(indent, "<DATEDUE>", formatDueDate(task.DateDue), "</DATEDUE>");
}

} // namespace

bool TaskListWriter::write(const Sink& sink) const {
    // A first run over the values only: one escape is needed when the file would read as UTF-8.
    ValueCodec::Utf8Check check;
    Output dry(check);
    writeTo(dry);
    Output out(sink, check.readsAsUtf8());
    return writeTo(out);
}

bool TaskListWriter::writeTo(Output& out) const {
    const TreeNode* top = tree_.Item(1);
    out.put("<XML>\r\n<FORMATVERSION>1.02</FORMATVERSION>\r\n");
    out.line(QByteArray(), "<TITLE>", top ? top->Text() : QString(), "</TITLE>");
    out.put("<LIST>\r\n");

    // Depth first without recursion, so that no depth of nesting can exhaust the stack.
    const Task blank;
    struct Frame {
        const TreeNode* holder;
        int nextRow;
    };
    std::vector<Frame> frames;
    if (top)
        frames.push_back({top, 0});
    int depth = 1;
    QByteArray indent = indentFor(depth);
    while (!frames.empty()) {
        if (!out.endPiece())
            return false;
        Frame& f = frames.back();
        if (f.nextRow >= f.holder->Children()) {
            frames.pop_back();
            if (!frames.empty()) {
                // The item whose list this was: close its list and the item itself.
                indent = indentFor(--depth);
                out.put(indent);
                out.put("</LIST>\r\n");
                out.put(indent);
                out.put("</ITEM>\r\n");
            }
            continue;
        }
        const TreeNode* node = f.holder->childAt(f.nextRow++);
        const Task* found = th_ ? th_->taskOf(node) : nullptr;
        const Task& task = found ? *found : blank; // a node without a record is written empty
        if (task.TaskName.contains(kNotSavedMark))
            continue;
        out.put(indent);
        out.put("<ITEM>\r\n");
        writeFields(out, indent, task);
        if (node->Children() > 0) {
            out.put(indent);
            out.put("<LIST>\r\n");
            frames.push_back({node, 0});
            indent = indentFor(++depth);
        } else {
            out.put(indent);
            out.put("</ITEM>\r\n");
        }
    }
    out.put("</LIST>\r\n</XML>\r\n\r\n");
    return out.endPiece(true);
}

QByteArray TaskListWriter::toBytes() const {
    QByteArray all;
    write([&all](QByteArrayView piece) {
        all.append(piece);
        return true;
    });
    return all;
}

} // namespace ortolan
