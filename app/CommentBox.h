// The read-only box under a revision list that shows a log message whole.
#pragma once

#include <QPlainTextEdit>

#include <memory>
#include <string_view>

class QTextDocument;

namespace quillon {

// A message of up to AsyncCommentBytes is shown at once. A longer one may be
// megabytes on a single line, whose conversion and layout would stall the
// window for seconds: the box shows its beginning at once and the whole
// message when a worker thread has built a document for it. The latest
// message asked for is the one that stays.
class TCommentBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TCommentBox(QWidget* parent = nullptr);
    ~TCommentBox() override;

    // Shows comment, the bytes of a log message; owner keeps them alive while
    // a worker reads them.
    void ShowComment(std::string_view comment, std::shared_ptr<const void> owner);
    // Shows nothing.
    void ClearComment();

    static constexpr std::size_t AsyncCommentBytes = 256 * 1024;

signals:
    // A message built on a worker thread is in place.
    void commentShown();
    // A message could not be shown whole; the text says why.
    void commentFailed(const QString& error);

private:
    struct TRequests;

    void Replace(std::unique_ptr<QTextDocument> document);

    // What the box and its workers share.
    std::shared_ptr<TRequests> Requests;
};

} // namespace quillon
