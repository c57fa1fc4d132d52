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

// The system's text for a folder that cannot be made; the platform's message tables are not
// at hand here, so the dialog carries its words.
constexpr char kCannotCreateText[] = "The directory or file cannot be created.";

// Where the user last moved a destination dialog: one place for the whole process, so that
// every dialog, of any FolderDialog, opens there; none at program start.
std::optional<QPoint>& rememberedPosition()
{
    static std::optional<QPoint> position;
    return position;
}

// Pretty case of a path with the native separators.
QString prettyPath(const QString& text)
{
    return toQString(prettyCase(toNarrow(text), QDir::separator().toLatin1()));
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
      m_keys(std::move(keys)),
      m_namePrompt(&askForName),
      m_messageBox(&showInMessageBox)
{
    setLabelCaptions(defaultLabelCaptions());
    setNewFolderCaptions(defaultNewFolderCaptions());
}

FolderDialog::~FolderDialog() = default;

void FolderDialog::setLabelCaptions(CaptionList captions)
{
    m_labelCaptions = std::move(captions);
    m_labelCaption = toQString(lookUpCaption(m_labelCaptions, m_keys));
}

void FolderDialog::setNewFolderCaptions(CaptionList captions)
{
    m_newFolderCaptions = std::move(captions);
    m_newFolderCaption = toQString(lookUpCaption(m_newFolderCaptions, m_keys));
    if (m_window != nullptr) {
        m_window->setNewFolderCaption(m_newFolderCaption);
    }
}

std::uint32_t FolderDialog::browseFlags() const
{
    return window::browseFlags(m_browseFor, m_flags);
}

void FolderDialog::forgetRememberedPosition()
{
    rememberedPosition().reset();
}

bool FolderDialog::execute()
{
    QString initial = itemForPath(toQString(m_folder));
    const QString root = itemForPath(toQString(m_rootFolder));
    m_selectedFolder = m_folder;
    m_pendingNewFolder.clear();

    std::optional<QString> confirmed;
    do {
        m_initialised = false;
        m_reopen = false;
        m_displayText.clear();

        FolderBrowserOptions options;
        if (const QString title = toQString(lookUpCaption(m_titles, m_keys)); !title.isEmpty()) {
            options.title = title;
        }
        options.instruction = m_labelCaption;
        options.rootFolder = root;
        // The confirmed folder serves the first opening only; a reopening after the
        // new-folder button selects the folder just made, or nothing when it failed.
        options.startFolder =
            !initial.isEmpty() ? std::exchange(initial, {}) : std::exchange(m_pendingNewFolder, {});
        options.resizable = m_flags.testFlag(bfNewDialogStyle);
        options.pathLine = m_flags.testFlag(bfShowPath);
        if (!m_flags.testFlag(bfHideNewFolderButton)) {
            options.newFolderCaption = m_newFolderCaption;
        }
        options.expandOnClick = m_extraFlags.testFlag(efAutoExpandTree);
        options.editBox = m_flags.testFlag(bfEditBox);
        options.validateTypedName = m_flags.testFlag(bfValidate);
        options.includeFolder = m_onXPIncludeItem;

        FolderBrowser window(std::move(options), qobject_cast<QWidget*>(parent()));
        m_window = &window;
        connectWindow(window);
        // The browser may have taken its default selection while it was being built.
        if (const QString selected = window.selectedFolder(); !selected.isEmpty()) {
            onSelectionChanged(window, selected);
        }
        placeWindow(window);
        window.installEventFilter(this);
        const int result = window.exec();
        m_window = nullptr;
        if (!m_reopen && result == QDialog::Accepted && !window.chosenFolder().isEmpty()) {
            confirmed = window.chosenFolder();
        }
    } while (m_reopen);

    if (!confirmed) {
        return false;
    }
    const ItemText item = convertItem(*confirmed);
    m_folder = toNarrow(item.path);
    m_selectedFolder = m_folder;
    m_displayText = item.display;
    return true;
}

FolderDialog::ItemText FolderDialog::convertItem(const QString& folder) const
{
    if (!m_extraFlags.testFlag(efUsePrettyCase)) {
        return {folder, folder};
    }
    // The file system here matches names exactly: pretty case is only shown.
    return {folder, prettyPath(folder)};
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
    connect(&window, &FolderBrowser::initialized, this, [this, &window] { onInitialized(window); });
    connect(&window, &FolderBrowser::selectedFolderChanged, this,
            [this, &window](const QString& folder) { onSelectionChanged(window, folder); });
    connect(&window, &FolderBrowser::newFolderRequested, this,
            [this, &window] { onNewFolderRequested(window); });
    connect(&window, &FolderBrowser::typedNameRejected, this,
            [this, &window](const QString& typed) { onTypedNameRejected(window, typed); });
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

void FolderDialog::onInitialized(FolderBrowser& window)
{
    m_initialised = true;
    if (m_flags.testFlag(bfShowPath)) {
        window.setPathText(m_displayText);
    }
    if (m_onInitialized) {
        m_onInitialized();
    }
}

void FolderDialog::onSelectionChanged(FolderBrowser& window, const QString& folder)
{
    if (!m_flags.testFlag(bfDontBrowseShortcuts) && !folder.isEmpty()) {
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
    const ItemText item = convertItem(folder);
    m_selectedFolder = toNarrow(item.path);
    m_displayText = item.display;
    if (m_flags.testFlag(bfShowPath) && m_initialised) {
        window.setPathText(m_displayText);
    }
    const bool hasPath = !m_selectedFolder.empty();
    // Every folder of the tree can hold folders, so one with a path is a file-system ancestor.
    window.setOkEnabled(okEnabled(m_browseFor, hasPath, hasPath));
    if (m_onSelectionChanged) {
        m_onSelectionChanged();
    }
}

void FolderDialog::onNewFolderRequested(FolderBrowser& window)
{
    const std::optional<QString> answer = m_namePrompt(m_newFolderCaption);
    if (!answer || answer->isEmpty()) {
        return;
    }
    m_reopen = true;
    const QChar separator = QDir::separator();
    const QString selected = toQString(m_selectedFolder);
    QString name = *answer;
    if (!name.startsWith(separator) && !selected.endsWith(separator)) {
        name.prepend(separator);
    }
    m_pendingNewFolder = selected + name;
    std::error_code error;
    std::filesystem::create_directories(fileSystemPath(m_pendingNewFolder), error);
    if (!QFileInfo(m_pendingNewFolder).isDir()) {
        m_initialised = false;
        m_pendingNewFolder.clear();
        m_messageBox(QString::fromLatin1(kCannotCreateText));
    }
    // Closed as cancelled; execute() opens it again.
    window.reject();
}

void FolderDialog::onTypedNameRejected(FolderBrowser& window, const QString& typed)
{
    if (!m_onValidateFailed) {
        QApplication::beep();
    } else if (m_onValidateFailed(typed)) {
        window.reject();
    }
}

}  // namespace gantrel::ui
