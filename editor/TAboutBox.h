#pragma once
// The About dialog: product name, release date and version, credit line and
// a link to the project's discussion page.
#include <QDialog>

class QLabel;
class QPushButton;

namespace quarnel {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;

    static const char* const kDiscussionUrl;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void Label1Click();
};

} // namespace quarnel
