#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

class QTextBrowser;

namespace sonvara {

// The help page of a help-context number: 1000 the start page, 1001 to 1006 the topics of the
// options sheet, the properties sheet, the analysis and the three conversions; empty for any
// other number (such a number opens nothing).
QString HelpTopicFor(int context);

// The help pages: our HTML pages, built into the program under ":/help".
QUrl HelpPageUrl(const QString& topic);

// The in-program help browser: one window with the pages, Back, Forward and Contents.
class CHelpBrowser : public QDialog {
    Q_OBJECT
public:
    explicit CHelpBrowser(QWidget* parent = nullptr);

    // Opens the topic of the help-context number in the one help browser, raised above
    // `parent` (the modal dialog in use, or the main window). Null when the number has no
    // topic.
    static CHelpBrowser* ShowHelpTopic(int context, QWidget* parent);
    // The help browser if one is open.
    static CHelpBrowser* Instance();

    void OpenTopic(const QString& topic);
    QTextBrowser* Browser() const { return m_Browser; }
    QString CurrentTopic() const;

private:
    QTextBrowser* m_Browser;
};

// F1 anywhere in the program, also in a modal dialog: the help browser on the topic of the
// current help-context number. Installed once on the application.
class CHelpKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit CHelpKeyFilter(QObject* parent = nullptr) : QObject(parent) {}
    // The window a help browser opened now belongs to: the modal dialog in use, else the
    // active window, else `fallback`.
    static QWidget* HelpParent(QWidget* fallback);
    void SetFallbackParent(QWidget* parent) { m_Fallback = parent; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_Fallback = nullptr;
};

}  // namespace sonvara
