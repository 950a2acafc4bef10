// The window's construction, start-up, shutdown and the binding of handlers.
#include "editor/TForm1.h"

#include "editor/TAboutBox.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/PrototypePanel.h"
#include "editor/StepButtons.h"
#include "editor/UserSettings.h"
#include "platform/AppPaths.h"
#include "platform/Utf8.h"
#include "platform/ErrorBoundary.h"
#include "platform/VersionInfo.h"
#include "preview/PreviewPictures.h"
#include "proto/CritterFields.h"
#include "tools/TempFolderCleanup.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>

namespace quarnel {
namespace {

constexpr int kClientWidth = 984;
constexpr int kClientHeight = 680;

// The fields whose key releases run the entry check.
QStringList WatchedFieldNames()
{
    QStringList names = {"EditCritterPID", "EditIDNumber", "EditExpPoints"};
    for (const auto& stat : kPrimaryStats)
        names << stat.extra;
    for (const auto& stat : kDerivedStats)
        names << stat.extra;
    for (const auto& skill : kSkills)
        names << skill.extra;
    for (const auto& stat : kDamageStats)
        names << stat.extra;
    names << kGenderFields.base << kGenderFields.extra;
    return names;
}

} // namespace

std::string TForm1::WindowFields::Text(const std::string& field) const
{
    QLineEdit* edit = form_.Edit(QString::fromStdString(field));
    return edit ? edit->text().toStdString() : std::string();
}

void TForm1::WindowFields::SetText(const std::string& field, const std::string& text)
{
    QLineEdit* edit = form_.Edit(QString::fromStdString(field));
    if (!edit)
        return;
    const QString newText = QString::fromStdString(text);
    if (edit->text() == newText)
        return;
    {
        const QSignalBlocker quiet(edit);
        edit->setText(newText);
    }
    form_.rules_.FieldChanged(field);
}

TForm1::TForm1(QWidget* parent, std::filesystem::path gameFolder)
    : QMainWindow(parent), fields_(*this), rules_(fields_, IsLoading, IsSecondGame), startFolder_(std::move(gameFolder))
{
    setObjectName("Form1");
    setWindowTitle("Form1");
    ResetGlobals();
    nameEncoding_ = ReadNameEncodingSetting();
    // A compact dialog font, close to the 8-point font the layout was drawn for.
    QFont compact = font();
    compact.setPixelSize(11);
    setFont(compact);
    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setMinimumSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    BuildMenus();
    BuildListArea(client);
    BuildIdentityArea(client);
    BuildPreviewArea(client);
    BuildDamageGrid(client);
    BuildStatisticsGrid(client);
    BuildSkillsGrid(client);
    BuildGameSwitch(client);
    KeepCritterArea(client);
    BuildTypeChoice(client);
    BuildNamingActions();
    SetBaseFieldsEnabled(false);
    ConnectHandlers();

    // The window's first size is its smallest; the user may make it larger.
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(kClientWidth, kClientHeight + menuHeight);
    resize(minimumSize());
    client->installEventFilter(this);

    FormCreate();
}

TForm1::~TForm1() = default;

QLineEdit* TForm1::Edit(const QString& name) const { return edits_.value(name, nullptr); }

int TForm1::RadioGroup1ItemIndex() const { return RadioGroup1Items->checkedId(); }

void TForm1::ConnectHandlers()
{
    auto guarded = [](auto body) { return [body]() { RunGuarded(body); }; };

    connect(ListViewFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                RunGuarded([&] {
                    if (!deselected.isEmpty())
                        ListViewFilesSelectItem(deselected.indexes().first().row(), false);
                    if (!selected.isEmpty())
                        ListViewFilesSelectItem(selected.indexes().first().row(), true);
                });
            });

    for (auto it = edits_.cbegin(); it != edits_.cend(); ++it) {
        if (!rules_.HasRule(it.key().toStdString()))
            continue;
        const QString name = it.key();
        connect(it.value(), &QLineEdit::textEdited, this, [this, name] { FieldEdited(name); });
    }
    for (const QString& name : WatchedFieldNames())
        Edit(name)->installEventFilter(this);

    connect(BitBtnSave, &QPushButton::clicked, this, guarded([this] { BitBtnSaveClick(); }));
    connect(Zapisz1, &QAction::triggered, this, guarded([this] { BitBtnSaveClick(); }));
    connect(BitBtnCancel, &QPushButton::clicked, this, guarded([this] { BitBtnCancelClick(); }));
    for (int i = 0; i < kPrimaryCount; ++i)
        for (int sign = 0; sign < 2; ++sign) {
            auto* button = findChild<QPushButton*>(kStepButtons[i][sign]);
            const int delta = sign == 0 ? 1 : -1;
            connect(button, &QPushButton::clicked, this, guarded([this, i, delta] { StepPrimaryStatistic(i, delta); }));
        }
    connect(ComboBoxGender, &QComboBox::activated, this, guarded([this] { ComboBoxGenderChange(); }));
    connect(Enable1, &QAction::triggered, this, guarded([this] { Enable1Click(); }));
    connect(Disable1, &QAction::triggered, this, guarded([this] { Disable1Click(); }));

    connect(BitBtn_Search, &QPushButton::clicked, this, guarded([this] { BitBtn_SearchClick(); }));
    connect(Edit_Search, &QLineEdit::returnPressed, this, guarded([this] { Edit_SearchKeyPress(); }));
    Edit_Search->installEventFilter(this);
    BitBtn_Search->installEventFilter(this);
    connect(RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            RunGuarded([this] { RadioGroup1Click(); });
    });

    connect(KonwertujFO1doFO2412do4161, &QAction::triggered, this,
            guarded([this] { KonwertujFO1doFO2412do4161Click(); }));
    connect(OtherFields1, &QAction::triggered, this, guarded([this] { OtherFields1Click(); }));
    connect(NameEncoding1Items, &QActionGroup::triggered, this, [this](QAction* item) {
        RunGuarded([&] { NameEncodingClick(static_cast<NameEncoding>(item->data().toInt())); });
    });
    connect(OpenGameFolder1, &QAction::triggered, this, guarded([this] { OpenGameFolder1Click(); }));
    connect(CloseGameFolder1, &QAction::triggered, this, guarded([this] { CloseGameFolder(); }));
    connect(About1, &QAction::triggered, this, guarded([this] { About1Click(); }));
    connect(Wyj1, &QAction::triggered, this, guarded([this] { Wyj1Click(); }));

    connect(SpeedButton20, &QToolButton::clicked, this, guarded([this] { ShowPreviousPreview(); }));
    connect(SpeedButton21, &QToolButton::clicked, this, guarded([this] { ShowNextPreview(); }));
    connect(Image1, &QLabel::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Image1->mapToGlobal(at)); });
    connect(SaveImage1, &QAction::triggered, this, guarded([this] { SaveImage1Click(); }));
}

void TForm1::FormCreate()
{
    const std::string version = GetFileVersionText("quarnel.exe");
    versionCaption_ = QString::fromStdString("Quarnel by Vostrik   v. " + version);
    setWindowTitle(versionCaption_);
    IsLoading = true;
    ApplyGameChoice(RadioGroup1ItemIndex());
    std::string folder = ExecutableFolder();
    folder.pop_back(); // without its trailing separator
    GamePath = folder + GameSubDir;
    UseBesideFolder();
    SetBackground(Panel11, kPanelBlue);
    // A game folder named at start replaces the folders beside the
    // executable; one that cannot be opened has said why, and they serve.
    if (!startFolder_.empty() && OpenGameFolder(startFolder_)) {
        Zapisz1->setEnabled(false);
        IsLoading = false;
        return;
    }
    // A failing scan or fill shows its error; the remaining start-up steps
    // still run, so that Save is disabled and the change rules are alive.
    const bool scanned = RunGuarded([this] { ScanGameFolder(); });
    Zapisz1->setEnabled(false);
    if (scanned)
        RunGuarded([this] { FillCritterList(); });
    IsLoading = false;
}

void TForm1::ApplyGameChoice(int index)
{
    if (index != 0 && index != 1)
        return;
    IsSecondGame = index == 1;
    GameSubDir = GameSubDirText(IsSecondGame);
    KonwertujFO1doFO2412do4161->setEnabled(!IsSecondGame);
}

void TForm1::FieldEdited(const QString& name)
{
    RunGuarded([&] { rules_.FieldChanged(name.toStdString()); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == centralWidget()) {
        FitListToClient(centralWidget());
        if (PrototypePanel1 && PrototypePanel1->isVisible())
            PrototypePanel1->resize(PrototypePanel1->width(), centralWidget()->height());
    } else if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (field && field != Edit_Search && !key->isAutoRepeat())
            RunGuarded([&] { EditKeyUp(field, key->key()); });
    } else if (event->type() == QEvent::MouseButtonPress && watched == Edit_Search) {
        // A right click opens the context menu and leaves the result colour.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            RunGuarded([this] { Edit_SearchClick(); });
    } else if (event->type() == QEvent::KeyPress && watched == BitBtn_Search) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            BitBtn_Search->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The temp folder must go; if it cannot be removed the window stays open
    // and a later close tries again. A folder that is already gone is no
    // reason to keep the window open: it could then never be closed.
    const bool removed = RunGuarded([] {
        if (std::filesystem::exists(TempFolder()))
            DeleteFolder(TempFolder());
    });
    if (removed)
        event->accept();
    else
        event->ignore();
}

void TForm1::Wyj1Click() { close(); }

void TForm1::About1Click()
{
    if (aboutBox_) {
        aboutBox_->close();
        aboutBox_.reset();
    }
    aboutBox_ = std::make_unique<TAboutBox>();
    aboutBox_->exec();
}

} // namespace quarnel
