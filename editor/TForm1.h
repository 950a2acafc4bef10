#pragma once
// The main window: the critter list, the value grids, the picture and every
// handler of the editor. Its implementation is split by responsibility over
// the TForm1*.cpp files of this folder.
#include "art/CritterArt.h"
#include "gamedata/GameTree.h"
#include "library/GameFolderScan.h"
#include "library/TextEncoding.h"
#include "preview/PreviewPictures.h"
#include "proto/ProFile.h"
#include "rules/CharacterRules.h"
#include "rules/FieldStore.h"
#include "source/PrototypeNaming.h"
#include "source/PrototypeSource.h"

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMovie;
class QPushButton;
class QStatusBar;
class QTimer;
class QTableWidget;
class QToolButton;
class QWidget;

namespace quarnel {

class PreviewPictures;
class PrototypePanel;
class ProRecord;
class TAboutBox;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // gameFolder: a game install or a mod's tree to open at start instead of
    // the folders beside the executable (empty: those, as always).
    explicit TForm1(QWidget* parent = nullptr, std::filesystem::path gameFolder = {});
    ~TForm1() override;

    // Named controls (the table-built value fields are reached through Edit()).
    QTableWidget* ListViewFiles = nullptr;
    QPushButton* BitBtn_Search = nullptr;
    QLineEdit* Edit_Search = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;
    QLineEdit* EditCritterName = nullptr;
    QFrame* Panel11 = nullptr;
    QLabel* Image1 = nullptr;
    QToolButton* SpeedButton20 = nullptr;
    QToolButton* SpeedButton21 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* SaveImage1 = nullptr;
    QLineEdit* EditIDNumber = nullptr;
    QLineEdit* EditCritterPID = nullptr;
    QLineEdit* EditExpPoints = nullptr;
    QPushButton* BitBtnSave = nullptr;
    QPushButton* BitBtnCancel = nullptr;
    QComboBox* ComboBoxGender = nullptr;
    // A game folder's type choice (Critters, Items, Scenery, Walls, Tiles, Misc), the
    // View menu that holds the same, and the panel of a prototype that is no critter.
    QComboBox* ComboPrototypeType = nullptr;
    QMenu* View1 = nullptr;
    PrototypePanel* PrototypePanel1 = nullptr;

    QMenu* Plik1 = nullptr;
    QAction* OpenGameFolder1 = nullptr;
    QMenu* RecentGameFolders1 = nullptr;
    QAction* CloseGameFolder1 = nullptr;
    QStatusBar* StatusBar1 = nullptr; // only while a game folder is open
    QLabel* StatusLabel1 = nullptr;
    QAction* Zapisz1 = nullptr;
    QAction* NewFromThis1 = nullptr; // a game folder's only
    QAction* Wyj1 = nullptr;
    QMenu* ools1 = nullptr;
    QAction* KonwertujFO1doFO2412do4161 = nullptr;
    QAction* Zapiszdoplikutxt1 = nullptr;
    QAction* ExtratoBase1 = nullptr;
    QMenu* EditBASEvalues1 = nullptr;
    QAction* Enable1 = nullptr;
    QAction* Disable1 = nullptr;
    QAction* OtherFields1 = nullptr;
    QMenu* NameEncoding1 = nullptr;
    QActionGroup* NameEncoding1Items = nullptr; // one checkable item per NameEncoding
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;

    // A value field by name; null when there is none.
    QLineEdit* Edit(const QString& name) const;
    // The selected item index of the game switch (0 first game, 1 second game, -1 none).
    int RadioGroup1ItemIndex() const;
    // The game folder open now (install or mod's tree); null for the folders beside the executable.
    const GameTree* Tree() const;
    // The folder named on the command line (`quarnel PATH`), made absolute; empty when none.
    static std::filesystem::path GameFolderFromArguments(const QStringList& arguments);
    // File / "Open game folder...": refuses a folder that is no game with the
    // error box and leaves the window as it was. True when it opened.
    bool OpenGameFolder(const std::filesystem::path& folder);
    // File / "Close game folder": back to the folders beside the executable, as at start.
    void CloseGameFolder();
    // The type listed now (critters unless a game folder shows another).
    ProtoType ShownType() const;
    // The type choice's item index: lists that type, unless an edit is open.
    void ChoosePrototypeType(int index);
    // The about box alive now, if any.
    TAboutBox* CurrentAboutBox() const { return aboutBox_.get(); }

    // Start-up, list, loading and saving (public for the program entry and tests).
    void FormCreate();
    void ScanGameFolder();
    void FillCritterList();
    void SelectCritter(int row);
    void LoadCritter(const std::filesystem::path& path);
    bool SearchCritterList(QTableWidget* list, const QString& text, int startRow);
    // The picture step of a load, given the FID index read from the record.
    void ShowCritterPreview(const std::filesystem::path& path, int fidIndex);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Field texts for the rules: a write of a new text runs the field's rule.
    class WindowFields : public FieldStore {
    public:
        explicit WindowFields(TForm1& form) : form_(form) {}
        std::string Text(const std::string& field) const override;
        void SetText(const std::string& field, const std::string& text) override;

    private:
        TForm1& form_;
    };

    // Layout (TForm1Layout.cpp).
    void BuildMenus();
    void BuildListArea(QWidget* client);
    void BuildIdentityArea(QWidget* client);
    void BuildPreviewArea(QWidget* client);
    void BuildDamageGrid(QWidget* client);
    void BuildStatisticsGrid(QWidget* client);
    void BuildSkillsGrid(QWidget* client);
    void BuildGameSwitch(QWidget* client);
    void FitListToClient(const QWidget* client);
    void ConnectHandlers();
    QLineEdit* AddField(QWidget* parent, const char* name, int x, int y, int width, int kind);

    // Handlers with behaviour of their own.
    void ListViewFilesSelectItem(int row, bool selected);
    void EditKeyUp(QLineEdit* field, int key);
    void FieldEdited(const QString& name);
    void BitBtnSaveClick();
    void BitBtnCancelClick();
    bool SaveCritter(const std::filesystem::path& path);
    void StepPrimaryStatistic(int statistic, int delta);
    void ComboBoxGenderChange();
    void Enable1Click();
    void Disable1Click();
    void SetBaseFieldsEnabled(bool enabled);
    void BitBtn_SearchClick();
    void Edit_SearchKeyPress();
    void Edit_SearchClick();
    void RadioGroup1Click();
    void KonwertujFO1doFO2412do4161Click();
    void OtherFields1Click();
    // Tools / "Name encoding": keeps the choice in the user's settings and reads the names again.
    void NameEncodingClick(NameEncoding encoding);
    void About1Click();
    void OpenGameFolder1Click();
    void RebuildRecentGameFolders();
    // A recent folder: opened, or said to be gone and taken off the list.
    void OpenRecentGameFolder(const std::string& folder);
    void Wyj1Click();
    void ShowNextPreview();
    void ShowPreviousPreview();
    void StepPreview(bool forward);
    void SaveImage1Click();

    // Helpers.
    void EnterEditingMode(bool saveEnabled);
    void LeaveEditingMode();
    void SetStepButtonsEnabled(bool enabled);
    // "Other fields..." is open to a loaded critter in browsing mode only.
    void UpdateOtherFieldsAction();
    void ShowPicture(const std::filesystem::path& picture);
    // A failed picture step: the picture area is emptied and the error shown
    // once for each state of the archive, so that loads and steps go on.
    void PictureStepFailed();
    void ClearPicture();
    void SetCritterPreviewCaption(const std::string& base);
    std::filesystem::path NameTablePath() const;
    void ApplyGameChoice(int index);

    // The source the window shows: the folder beside the executable of the
    // game chosen, keeping the picture archive read so far (TForm1Source.cpp).
    void UseBesideFolder();
    // Reads the record of a critter from the copy that serves it now into
    // loaded_; false when it cannot be loaded: the form and picture are then
    // emptied and the status says why.
    bool ReadServedCritter(const std::string& path);
    // The record a load shows: a game folder's from the copy that serves it
    // (none when that cannot be loaded), one beside the executable read in place.
    std::optional<ProRecord> ReadCritterRecord(const std::filesystem::path& path);
    // The picture and the name of a loaded record, from the source's art and names.
    void ShowCritterPictureAndName(const std::filesystem::path& path, const ProRecord& record);
    // Stores the loaded record with edit applied through the source: refused
    // when the copy on disk is no longer the one loaded (staleSaveRefused_ is
    // then set), asked first when the game would not read what is written.
    // False when nothing was written.
    bool StoreServedCritter(const std::function<void(ProRecord&)>& edit);
    // After a save or a refused save: the selected row's name and mark
    // follow the copy on disk now, and that copy is loaded again.
    void ReloadServedCritter();

    // The game folder mode (TForm1GameFolder.cpp).
    void ShowGameFolderState();
    void ShowStatusBar(bool shown);
    void ScanSourceNames();
    void FillServedCritterList();
    void SelectServedCritter(int row);
    void UpdateCritterStatus();
    void ClearCritterForm(const std::string& why);
    // Whether the critter selected is the one whose record the window shows.
    bool CritterLoaded() const;
    // The file name column as wide as its widest name, after a fill.
    void FitFileNameColumn(const std::vector<SourceEntry>& critters);
    // The name column of a row (and the mark of a first game's record in a
    // second-game tree).
    void ShowServedRow(int row, std::optional<std::int32_t> textId, std::size_t recordSize);

    // The FRM picture of a critter (TForm1Art.cpp): its FID through the source.
    void ShowCritterArt(const ProRecord& record);
    void StepCritterArt(bool forward);
    // Shows frame artFrame_ of direction PreviewView of the critter's picture.
    void ShowArtFrame();
    void NextArtFrame();
    // Keeps the shown direction's standing frame as PNG for "Save Image".
    void KeepStandingFrame();

    // The types beside critters (TForm1Types.cpp).
    void BuildTypeChoice(QWidget* client);
    // Notes the critter's own controls, which another type's panel replaces.
    void KeepCritterArea(QWidget* client);
    void ShowTypeArea();
    void ShowTypeChoice(bool shown);
    void SetTypeChoiceEnabled(bool enabled);
    void FillTypeList();
    void FitSubtypeColumn();
    void SelectTypeRow(int row);
    void ShowTypePrototype(const LoadedPrototype& loaded, RecordKind kind);
    bool SaveTypePrototype();
    void ReloadTypeRow();

    // Names and new prototypes of a game folder (TForm1Naming.cpp).
    void BuildNamingActions();
    // The name and description typed, each only where it differs from the one loaded.
    NameEdit EditedNames() const;
    // Stores the loaded record with edit applied and the names typed into the
    // type's message file: every refusal of the names comes before anything
    // is written; each file is written only when it changes.
    bool StoreServedWithNames(const std::function<void(ProRecord&)>& edit);
    // File / "New from this one...": a copy of the loaded prototype under the
    // next number of its type, selected when made.
    void NewFromThis1Click();

    WindowFields fields_;
    CharacterRules rules_;
    // Where the critters come from: the folder beside the executable of the
    // game chosen, or the game folder open (an install or a mod's tree).
    std::unique_ptr<PrototypeSource> source_;
    GameFolderScanResult scan_;                           // the last scan of a folder beside the executable
    std::filesystem::path nameFile_;                      // the name table that scan read (pro_crit.ini or .msg)
    SourceNames sourceNames_;                             // a game folder's names, read at every scan
    NameEncoding nameEncoding_ = NameEncoding::Automatic; // the user's choice (Tools / "Name encoding")
    QHash<QString, QLineEdit*> edits_;
    std::unique_ptr<TAboutBox> aboutBox_;
    QMovie* movie_ = nullptr;
    std::optional<PreviewPictures::ArchiveStamp> reportedArchiveState_;
    QByteArray pictureBytes_;  // the picture shown, written by "Save Image"
    std::string loadedPath_;   // the file whose record the window shows
    long long loadedSize_ = 0; // its size when loaded (0: refused or none)
    std::int32_t loadedBaseGender_ = 0;
    std::filesystem::path startFolder_;     // the game folder of the command line
    QString versionCaption_;                // the caption without the open folder
    std::optional<LoadedPrototype> loaded_; // a game folder's critter as read, with the copy it came from
    std::string loadFailure_;               // why the selected critter of a game folder is not loaded
    bool staleSaveRefused_ = false;         // the last save found the loaded copy changed on disk
    CritterArt shownArt_;                   // the FRM picture of the critter shown
    int artFrame_ = 0;                      // its frame shown now
    QTimer* artTimer_ = nullptr;            // plays a picture of several frames at its rate
    ProtoType shownType_ = ProtoType::Critter;
    std::vector<QWidget*> critterArea_;    // the critter's controls, hidden for another type
    std::vector<SourceEntry> typeEntries_; // the rows of another type's list, in order
    std::string listStanding_;             // why the selected row is not a plain listed file
    QString shownCritterName_;             // a game folder's critter name as loaded
};

} // namespace quarnel
