#pragma once
// The open-file window "frmOpenfile": a folder, its subfolders, the file type and the files (or
// 2-D cases) of that type; OK reads the chosen one and stays open when the read fails.

#include "files/dispatch.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace sarvo {

class OpenFileWindow : public QDialog {
    Q_OBJECT
public:
    explicit OpenFileWindow(QWidget* parent = nullptr);

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
};

// Registers the open-file window with the frame ("frmOpenfile", shown modal by the open command)
// and makes the machine-list window answer the readers' machine checks.
void RegisterFileWindows();

} // namespace sarvo
