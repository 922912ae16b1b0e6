#include "compose/ui/EditLines.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace qb {

int visualLineCount(const QPlainTextEdit* edit) {
    const QTextDocument* doc = edit->document();
    // The box's own layout is made only for the blocks on screen; this counts all.
    const qreal width = edit->viewport()->width() - 2 * doc->documentMargin();
    int lines = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        QTextLayout layout(block.text(), edit->font());
        layout.setTextOption(doc->defaultTextOption());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            ++lines;
        }
        layout.endLayout();
    }
    return lines;
}

int lineHeight(const QPlainTextEdit* edit) {
    return QFontMetrics(edit->font()).lineSpacing();
}

} // namespace qb
