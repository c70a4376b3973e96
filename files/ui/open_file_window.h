#pragma once
// The open-file window "frmOpenfile": a folder, its subfolders, the file type and the files (or
// 2-D cases) of that type; OK reads the chosen one and stays open when the read fails.

#include "files/dispatch.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace sarvo {

// Reads the chosen file or 2-D form into the open case.
using ChosenFileReader = std::function<files::ReadResult(const QString& fileText, files::FileType type)>;

class OpenFileWindow : public QDialog {
    Q_OBJECT
public:
    // The folder and type come from settings (DataPath, DefaultExtension); the folder listed
    // last is kept there.
    OpenFileWindow(Settings& settings, const Case& openCase, ChosenFileReader read, QWidget* parent = nullptr);

    // The folder listed, always ending in "/"; a folder that does not exist is ignored.
    QString folder() const { return folder_; }
    void setFolder(const QString& path);
    files::FileType fileType() const;
    void setFileType(files::FileType type);

    // Rebuilds the list from the folder and the type.
    void refreshFileList();
    // Reads the selected entry; nothing when none is selected.
    void openSelected();

    QListWidget* caseList() const { return lstCase_; }
    QListWidget* folderList() const { return lstDir_; }
    QComboBox* typeList() const { return cmbFiletype_; }
    QPushButton* okButton() const { return ok_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillFolderList();
    void listFiles(const QString& pattern);
    void listTwoDCases();
    void selectionChanged();
    void enterFolder(QListWidgetItem* item);

    QLineEdit* txtFolder_;
    QListWidget* lstDir_;
    QComboBox* cmbFiletype_;
    QListWidget* lstCase_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QString folder_;
    QStringList fileNames_;      // the listed files, full paths; the entries hold their index
    QList<files::TwoDCase> twoDCases_;
    Settings& settings_;
    const Case& openCase_;
    ChosenFileReader read_;
};

} // namespace sarvo
