// SPDX-License-Identifier: MIT
#include "folder_dialog.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <QPoint>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include <unicode/uloc.h>

#include <array>

#include <filesystem>
#include <system_error>

#include "folder_browser.h"
#include "qt_dialogs.h"
#include "qt_text.h"

namespace gantrel::ui {

using namespace gantrel::window;

namespace {

// Where the user last moved a destination dialog: one place for the whole process, so that
// every dialog, of any FolderDialog, opens there; none at program start.
std::optional<QPoint>& rememberedPosition()
{
    static std::optional<QPoint> position;
    return position;
}

std::filesystem::path fileSystemPath(const QString& text)
{
    return std::filesystem::path(text.toStdU16String());
}

// The folder a Folder or RootFolder text selects, as the browser takes it; empty for none.
// A folder that is missing below an existing root is made again first, with its parents:
// the destination confirmed last time comes back even when it was deleted since.
QString itemForPath(const QString& text)
{
    if (text.isEmpty()) {
        return {};
    }
    const std::filesystem::path path = fileSystemPath(text);
    std::error_code error;
    const std::filesystem::path root = path.root_path();
    if (!root.empty() && std::filesystem::is_directory(root, error)) {
        const bool isFile =
            std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
        if (!isFile) {
            // A failure shows as a folder that is not there: the dialog opens without it.
            std::filesystem::create_directories(path, error);
        }
    }
    QString item = text;
    if (!item.endsWith(QDir::separator())) {
        item += QDir::separator();
    }
    const QFileInfo folder(item);
    return folder.isDir() ? QDir::toNativeSeparators(QDir::cleanPath(folder.absoluteFilePath()))
                          : QString();
}

std::optional<QString> askForName(const QString& title)
{
    bool accepted = false;
    const QString name = QInputDialog::getText(QApplication::activeModalWidget(), title, QString(),
                                               QLineEdit::Normal, QString(), &accepted);
    return accepted ? std::optional<QString>(name) : std::nullopt;
}

void showInMessageBox(const QString& text)
{
    QtDialogs().showMessage(toNarrow(text));
}

}  // namespace

std::optional<std::uint16_t> languageIdOf(const QString& locale)
{
    QByteArray tag = locale.toLatin1();
    tag.replace('_', '-');
    std::array<char, ULOC_FULLNAME_CAPACITY> name{};
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t parsed = 0;
    uloc_forLanguageTag(tag.constData(), name.data(), static_cast<std::int32_t>(name.size()),
                        &parsed, &status);
    if (U_FAILURE(status) || name[0] == '\0') {
        return std::nullopt;
    }
    std::uint32_t id = uloc_getLCID(name.data());

    // A script in the name ("de-Latn-CH", as Qt lists it) hides the country's identifier; the
    // language with the country alone finds it.
    std::array<char, ULOC_COUNTRY_CAPACITY> country{};
    std::array<char, ULOC_LANG_CAPACITY> language{};
    status = U_ZERO_ERROR;
    uloc_getCountry(name.data(), country.data(), static_cast<std::int32_t>(country.size()),
                    &status);
    uloc_getLanguage(name.data(), language.data(), static_cast<std::int32_t>(language.size()),
                     &status);
    if (U_SUCCESS(status) && country[0] != '\0' && (id & 0xFFFF) >> 10 == 0) {
        const std::string withCountry = std::string(language.data()) + '_' + country.data();
        if (const std::uint32_t found = uloc_getLCID(withCountry.c_str()); found != 0) {
            id = found;
        }
    }
    if ((id & 0xFFFF) == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(id & 0xFFFF);
}

LanguageKeys systemLanguageKeys()
{
    const QLocale system = QLocale::system();
    const QStringList languages = system.uiLanguages();
    const std::optional<std::uint16_t> id =
        languageIdOf(languages.isEmpty() ? system.name() : languages.first());
    return id ? languageKeysFor(*id) : LanguageKeys{};
}

FolderDialog::FolderDialog(QWidget* owner, LanguageKeys keys)
    : QObject(owner),
      DestinationDialog(std::move(keys), QDir::separator().toLatin1()),
      m_namePrompt(&askForName),
      m_messageBox(&showInMessageBox)
{
}

FolderDialog::~FolderDialog() = default;

QString FolderDialog::displayText() const
{
    return toQString(DestinationDialog::displayText());
}

QString FolderDialog::labelCaption() const
{
    return toQString(DestinationDialog::labelCaption());
}

QString FolderDialog::newFolderCaption() const
{
    return toQString(DestinationDialog::newFolderCaption());
}

void FolderDialog::setNewFolderCaptions(CaptionList captions)
{
    DestinationDialog::newFolderCaptions = std::move(captions);
    if (m_window != nullptr) {
        m_window->setNewFolderCaption(newFolderCaption());
    }
}

std::uint32_t FolderDialog::browseFlags() const
{
    return window::browseFlags(DestinationDialog::browseFor, DestinationDialog::flags);
}

void FolderDialog::forgetRememberedPosition()
{
    rememberedPosition().reset();
}

bool FolderDialog::prepareItems()
{
    m_initialItem = itemForPath(toQString(DestinationDialog::folder));
    m_rootItem = itemForPath(toQString(DestinationDialog::rootFolder));
    return !m_initialItem.isEmpty();
}

std::optional<FolderDialog::ItemText> FolderDialog::runOpening(const Preselection& preselection)
{
    const BrowseInfoFlagSet flags = DestinationDialog::flags;
    FolderBrowserOptions options;
    if (const std::string title = DestinationDialog::title(); !title.empty()) {
        options.title = toQString(title);
    }
    options.instruction = labelCaption();
    options.rootFolder = m_rootItem;
    options.startFolder = preselection.initialItem ? std::exchange(m_initialItem, {})
                                                   : toQString(preselection.newFolder);
    options.resizable = flags.testFlag(bfNewDialogStyle);
    options.pathLine = flags.testFlag(bfShowPath);
    if (!flags.testFlag(bfHideNewFolderButton)) {
        options.newFolderCaption = newFolderCaption();
    }
    options.expandOnClick = DestinationDialog::extraFlags.testFlag(efAutoExpandTree);
    options.editBox = flags.testFlag(bfEditBox);
    options.validateTypedName = flags.testFlag(bfValidate);
    options.includeFolder = m_onXPIncludeItem;

    FolderBrowser window(std::move(options), qobject_cast<QWidget*>(parent()));
    m_window = &window;
    connectWindow(window);
    // The browser may have taken its default selection while it was being built.
    if (const QString selected = window.selectedFolder(); !selected.isEmpty()) {
        handleSelectionChanged(window, selected);
    }
    placeWindow(window);
    window.installEventFilter(this);
    const int result = window.exec();
    m_window = nullptr;
    if (result != QDialog::Accepted || window.chosenFolder().isEmpty()) {
        return std::nullopt;
    }
    return convertItem(window.chosenFolder());
}

FolderDialog::ItemText FolderDialog::convertItem(const QString& folder) const
{
    const std::string path = toNarrow(folder);
    if (!DestinationDialog::extraFlags.testFlag(efUsePrettyCase)) {
        return {path, path};
    }
    // The file system here matches names exactly: pretty case is only shown.
    return {path, prettyCase(path, QDir::separator().toLatin1())};
}

void FolderDialog::placeWindow(FolderBrowser& window) const
{
    if (const std::optional<QPoint>& position = rememberedPosition()) {
        window.move(*position);
        return;
    }
    const QWidget* owner = qobject_cast<const QWidget*>(parent());
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The window's frame counts: made now, the window knows it where the platform can tell.
    window.winId();
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2,
                area.y() + (area.height() - size.height()) / 2);
}

void FolderDialog::connectWindow(FolderBrowser& window)
{
    connect(&window, &FolderBrowser::initialized, this, [this] { handleInitialized(); });
    connect(&window, &FolderBrowser::selectedFolderChanged, this,
            [this, &window](const QString& folder) { handleSelectionChanged(window, folder); });
    connect(&window, &FolderBrowser::newFolderRequested, this, [this] { newFolderRequested(); });
    connect(&window, &FolderBrowser::typedNameRejected, this,
            [this, &window](const QString& typed) { handleTypedNameRejected(window, typed); });
}

bool FolderDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The place the user moves the dialog to, or where it stands when resized in its normal
    // state, is where every later dialog of the process opens.
    if (watched == m_window && m_window->isVisible() &&
        (event->type() == QEvent::Move ||
         (event->type() == QEvent::Resize &&
          (m_window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) == 0))) {
        rememberedPosition() = m_window->pos();
    }
    return QObject::eventFilter(watched, event);
}

void FolderDialog::handleInitialized()
{
    markInitialised();
    if (DestinationDialog::flags.testFlag(bfShowPath)) {
        refreshPathLine();
    }
    if (onInitialized) {
        onInitialized();
    }
}

void FolderDialog::handleSelectionChanged(FolderBrowser& window, const QString& folder)
{
    if (!DestinationDialog::flags.testFlag(bfDontBrowseShortcuts) && !folder.isEmpty()) {
        // A link to a folder stands for its target, as a shortcut does in a shell: the tree
        // moves on to the target, which then arrives here as the selection.
        const QFileInfo link(folder);
        const QString target = link.canonicalFilePath();
        if (link.isSymLink() && !target.isEmpty() && QFileInfo(target).isDir()) {
            QMetaObject::invokeMethod(
                &window, [&window, target] { window.selectFolder(target); }, Qt::QueuedConnection);
            return;
        }
    }
    selectionChanged(convertItem(folder));
}

void FolderDialog::refreshPathLine()
{
    m_window->setPathText(displayText());
}

void FolderDialog::enableButtons(bool ok, bool /*newFolder*/)
{
    // The browser enables its new-folder button with its own selection.
    m_window->setOkEnabled(ok);
}

std::optional<std::string> FolderDialog::askFolderName(const std::string& title)
{
    const std::optional<QString> answer = m_namePrompt(toQString(title));
    return answer ? std::optional<std::string>(toNarrow(*answer)) : std::nullopt;
}

bool FolderDialog::makeFolder(const std::string& path)
{
    const QString folder = toQString(path);
    std::error_code error;
    std::filesystem::create_directories(fileSystemPath(folder), error);
    return QFileInfo(folder).isDir();
}

void FolderDialog::showMessage(const std::string& text)
{
    m_messageBox(toQString(text));
}

void FolderDialog::closeAsCancelled()
{
    m_window->reject();
}

void FolderDialog::handleTypedNameRejected(FolderBrowser& window, const QString& typed)
{
    if (!m_onValidateFailed) {
        QApplication::beep();
    } else if (m_onValidateFailed(typed)) {
        window.reject();
    }
}

}  // namespace gantrel::ui
