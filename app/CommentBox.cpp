#include "CommentBox.h"

#include "CellText.h"
#include "WorkerPool.h"

#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

namespace quillon {

namespace {

// The worker inserts the text in pieces of this many characters, and gives up
// between them when a newer message is wanted.
constexpr qsizetype InsertPiece = 1 << 20;

const QString OutOfMemory = QStringLiteral("Error: out of memory while showing the comment");

// The document the box would hold after setPlainText(CommentBoxText(comment))
// in font, built on the calling thread and handed to target; none when the
// message is no longer wanted meanwhile. Target is left to lay out only what
// comes into view.
std::unique_ptr<QTextDocument> BuildDocument(std::string_view comment, const QFont& font,
                                             const std::atomic<quint64>& latest, quint64 wanted,
                                             QThread* target) {
    const QString text = CommentBoxText(comment);
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    for (QTextCursor cursor(document.get()); cursor.position() < text.size();) {
        if (latest != wanted)
            return nullptr;
        cursor.insertText(
            text.sliced(cursor.position(), std::min(InsertPiece, text.size() - cursor.position())));
    }
    document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
    document->moveToThread(target);
    return document;
}

} // namespace

struct TCommentBox::TRequests {
    // The number of the latest message asked for.
    std::atomic<quint64> Latest = 0;
    // The box while it lives (it owns these requests); a worker posts to it
    // only under the lock.
    std::mutex Lock;
    TCommentBox* Box = nullptr;

    // Runs call on the box's thread, if the box still lives then and wanted
    // is still the latest message.
    template <typename TCall> void Post(quint64 wanted, TCall call) {
        const std::lock_guard lock(Lock);
        if (Box)
            QMetaObject::invokeMethod(Box, [this, box = Box, wanted, call = std::move(call)] {
                if (Latest == wanted)
                    call(box);
            });
    }
};

TCommentBox::TCommentBox(QWidget* parent)
    : QPlainTextEdit(parent), Requests(std::make_shared<TRequests>()) {
    Requests->Box = this;
}

TCommentBox::~TCommentBox() {
    ++Requests->Latest;
    const std::lock_guard lock(Requests->Lock);
    Requests->Box = nullptr;
}

void TCommentBox::ShowComment(std::string_view comment, std::shared_ptr<const void> owner) {
    const quint64 wanted = ++Requests->Latest;
    if (comment.size() <= AsyncCommentBytes) {
        setPlainText(CommentBoxText(comment));
        return;
    }
    setPlainText(CellText(comment, DisplayComment));
    WorkerPool().start([comment, owner = std::move(owner), requests = Requests, wanted,
                        font = font(), target = thread()] {
        std::unique_ptr<QTextDocument> built;
        try {
            built = BuildDocument(comment, font, requests->Latest, wanted, target);
        } catch (const std::bad_alloc&) {
            requests->Post(wanted, [](TCommentBox* box) { emit box->commentFailed(OutOfMemory); });
            return;
        }
        if (!built)
            return;
        // Should the call never run, the holder frees the document.
        auto holder = std::make_shared<std::unique_ptr<QTextDocument>>(std::move(built));
        requests->Post(wanted, [holder](TCommentBox* box) { box->Replace(std::move(*holder)); });
    });
}

void TCommentBox::ClearComment() {
    ++Requests->Latest;
    clear();
}

void TCommentBox::Replace(std::unique_ptr<QTextDocument> document) {
    QTextDocument* previous = this->document();
    const bool ownPrevious = previous->parent() == this;
    document->setParent(this);
    setDocument(document.release());
    if (ownPrevious)
        delete previous;
    emit commentShown();
}

} // namespace quillon
