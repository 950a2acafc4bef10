#include "editor/TAboutBox.h"

#include "platform/ErrorBoundary.h"
#include "platform/UserDialogs.h"
#include "platform/VersionInfo.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace quarnel {
namespace {

// The 32 x 32 program icon: a stylised critter head on a sky-blue tile.
QPixmap ProgramIconBitmap()
{
    QPixmap icon(32, 32);
    icon.fill(QColor(166, 202, 240));
    QPainter painter(&icon);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(128, 128, 0));
    painter.drawEllipse(6, 6, 20, 18);
    painter.setBrush(Qt::red);
    painter.drawRect(11, 12, 3, 3);
    painter.drawRect(18, 12, 3, 3);
    painter.setBrush(Qt::white);
    painter.drawRect(12, 19, 8, 2);
    return icon;
}

QLabel* AddLabel(QWidget* parent, const char* name, int x, int y)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->move(x, y);
    return label;
}

} // namespace

const char* const TAboutBox::kDiscussionUrl = "https://github.com/quarnel-editor/quarnel/discussions";

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setFixedSize(298, 253);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(8, 8, 281, 201);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* programIcon = new QLabel(panel);
    programIcon->setObjectName("ProgramIcon");
    programIcon->setGeometry(8, 8, 65, 57);
    programIcon->setScaledContents(true);
    programIcon->setPixmap(ProgramIconBitmap());

    ProductName = AddLabel(panel, "ProductName", 88, 16);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = AddLabel(panel, "Version", 88, 40);
    Copyright = AddLabel(panel, "Copyright", 8, 80);
    Comments = AddLabel(panel, "Comments", 8, 104);
    Comments->setFixedSize(257, 49);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1 = AddLabel(panel, "Label1", 80, 168);
    Label1->setStyleSheet("color: #800000;");
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(111, 220, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TAboutBox::FormCreate()
{
    ProductName->setText("Quarnel");
    Version->setText(QString::fromStdString("January 18, 2019, ver." + GetFileVersionText("quarnel.exe")));
    Copyright->setText("By the Quarnel authors, for the Fallout modding community");
    Comments->setText("Quarnel");
    Label1->setText("Quarnel discussion page");
    for (QLabel* label : {ProductName, Version, Copyright, Label1})
        label->adjustSize();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    // A click: the left button released over the label (a press that is
    // dragged off the label before its release opens nothing).
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label1->rect().contains(mouse->position().toPoint()))
            RunGuarded([this] { Label1Click(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::Label1Click() { Dialogs().OpenUrl(kDiscussionUrl); }

} // namespace quarnel
