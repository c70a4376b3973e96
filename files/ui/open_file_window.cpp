#include "files/ui/open_file_window.h"

#include "core/app_error.h"
#include "files/ui/read_report.h"
#include "core/progress.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "gui/program_services.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo {

namespace {

QString withSeparator(const QString& path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

QLabel* label(const char* text, const char* name)
{
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

OpenFileWindow::OpenFileWindow(Settings& settings, const Case& openCase, ChosenFileReader read, QWidget* parent)
    : QDialog(parent)
    , txtFolder_(new QLineEdit)
    , lstDir_(new QListWidget)
    , cmbFiletype_(new QComboBox)
    , lstCase_(new QListWidget)
    , ok_(new QPushButton(QStringLiteral("&OK")))
    , cancel_(new QPushButton(QStringLiteral("&Cancel")))
    , settings_(settings)
    , openCase_(openCase)
    , read_(std::move(read))
{
    BusyCursor busy;
    setObjectName(QStringLiteral("frmOpenfile"));
    setWindowTitle(QStringLiteral("Open file"));
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    lstDir_->setObjectName(QStringLiteral("lstDir"));
    cmbFiletype_->setObjectName(QStringLiteral("cmbFiletype"));
    lstCase_->setObjectName(QStringLiteral("lstCase"));
    lstCase_->setSelectionMode(QAbstractItemView::SingleSelection);
    ok_->setObjectName(QStringLiteral("CmdOk"));
    cancel_->setObjectName(QStringLiteral("CmdCancel"));
    ok_->setDefault(true);
    ok_->setEnabled(false);

    auto* grid = new QGridLayout;
    grid->addWidget(label("Directory:", "lblDir"), 0, 0);
    grid->addWidget(txtFolder_, 1, 0);
    grid->addWidget(lstDir_, 2, 0);
    grid->addWidget(label("File type:", "lblType"), 3, 0);
    grid->addWidget(cmbFiletype_, 4, 0);
    grid->addWidget(label("Select case:", "lblCase"), 0, 1);
    grid->addWidget(lstCase_, 1, 1, 4, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);
    resize(640, 400);

    TranslateForm(*this);
    CenterForm(*this);

    RunTrapped(QStringLiteral("Loading form"), [this] {
        const QString dataPath = settings_.DataPath;
        if (!dataPath.isEmpty() && QFileInfo(dataPath).isDir())
            folder_ = withSeparator(QDir(dataPath).absolutePath());
        else
            folder_ = withSeparator(QDir::currentPath());
        txtFolder_->setText(folder_);
        fillFolderList();
        for (int i = 0; i < files::kFileTypeCount; ++i)
            cmbFiletype_->addItem(Translate(files::FileTypeText(files::FileType(i))));
        cmbFiletype_->setCurrentIndex(int(files::PreselectedFileType(settings_.DefaultExtension)));
        refreshFileList();
    });

    connect(cmbFiletype_, &QComboBox::currentIndexChanged, this, [this] { refreshFileList(); });
    connect(lstCase_, &QListWidget::itemSelectionChanged, this, &OpenFileWindow::selectionChanged);
    connect(lstCase_, &QListWidget::itemDoubleClicked, this, [this] { openSelected(); });
    connect(lstDir_, &QListWidget::itemActivated, this, &OpenFileWindow::enterFolder);
    connect(ok_, &QPushButton::clicked, this, &OpenFileWindow::openSelected);
    connect(cancel_, &QPushButton::clicked, this, &OpenFileWindow::reject);
    txtFolder_->installEventFilter(this);
}

bool OpenFileWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the folder box goes to that folder instead of reading a file.
    if (watched == txtFolder_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            setFolder(txtFolder_->text());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

files::FileType OpenFileWindow::fileType() const
{
    return files::FileType(std::max(0, cmbFiletype_->currentIndex()));
}

void OpenFileWindow::setFileType(files::FileType type)
{
    cmbFiletype_->setCurrentIndex(int(type));
}

void OpenFileWindow::setFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir()) {
        txtFolder_->setText(folder_);
        return;
    }
    folder_ = withSeparator(QDir(path).absolutePath());
    txtFolder_->setText(folder_);
    fillFolderList();
    refreshFileList();
}

void OpenFileWindow::fillFolderList()
{
    lstDir_->clear();
    QDir dir(folder_);
    if (!dir.isRoot())
        lstDir_->addItem(QStringLiteral(".."));
    lstDir_->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
}

void OpenFileWindow::enterFolder(QListWidgetItem* item)
{
    if (item)
        setFolder(QDir(folder_).absoluteFilePath(item->text()));
}

void OpenFileWindow::refreshFileList()
{
    RunTrapped(QStringLiteral("Retrieval of file list"), [this] {
        lstCase_->clear();
        fileNames_.clear();
        twoDCases_.clear();
        if (fileType() == files::FileType::TwoD)
            listTwoDCases();
        else
            listFiles(files::FileTypePattern(fileType()));
    });
    selectionChanged();
    if (isVisible())
        settings_.DataPath = folder_;
}

// Names in the pattern without regard to case, at most 511, in name order.
void OpenFileWindow::listFiles(const QString& pattern)
{
    const QFileInfoList found = QDir(folder_).entryInfoList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : found) {
        if (fileNames_.size() >= files::kMaxListedFiles)
            break;
        fileNames_ << folder_ + info.fileName();
        auto* item = new QListWidgetItem(info.fileName() + u' ' + GeneralDateText(info.lastModified()), lstCase_);
        item->setData(Qt::UserRole, int(fileNames_.size() - 1));
    }
}

void OpenFileWindow::listTwoDCases()
{
    const QFileInfoList found = QDir(folder_).entryInfoList({QStringLiteral("*.2d2")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList paths;
    for (const QFileInfo& info : found) {
        if (paths.size() >= files::kMaxListedFiles)
            break;
        paths << folder_ + info.fileName();
    }
    twoDCases_ = files::ListTwoDCases(folder_, paths);
    for (qsizetype i = 0; i < twoDCases_.size(); ++i) {
        auto* item = new QListWidgetItem(twoDCases_[i].text, lstCase_);
        item->setData(Qt::UserRole, int(i));
    }
}

void OpenFileWindow::selectionChanged()
{
    ok_->setEnabled(!lstCase_->selectedItems().isEmpty());
}

void OpenFileWindow::openSelected()
{
    RunTrapped(QStringLiteral("Reading file (frmOpenfile.cmdOK_Click)"), [this] {
        const QList<QListWidgetItem*> selected = lstCase_->selectedItems();
        if (selected.isEmpty())
            return;
        const int index = selected.front()->data(Qt::UserRole).toInt();
        const files::FileType type = fileType();
        const QString text = type == files::FileType::TwoD ? twoDCases_.value(index).form : fileNames_.value(index);
        if (text.isEmpty())
            return;
        const files::ReadResult result = read_(text, type);
        ReportReadResult(result);
        // A failed read keeps the window open for another choice.
        if (result.ok())
            accept();
        AfterFileRead(result.ok(), result.ok() ? openCase_.Header[HdrFilename] : text);
        if (result.ok())
            ShowResults();
    });
}

} // namespace sarvo
