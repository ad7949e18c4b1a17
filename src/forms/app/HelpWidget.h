#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The program's own help window: our HTML help in a text browser, opened at
// the section of an anchor. One window serves the whole run; asking for
// another section moves it there and brings it to the front. It never keeps
// the program running on its own: closing the wizard ends the program with
// the help still open.
class HelpWidget : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWidget(QWidget* parent = nullptr);

    // Shows the page of `url` (a local HTML file) at its fragment.
    void showAt(const QUrl& url);

private:
    QTextBrowser* m_browser = nullptr;
};
