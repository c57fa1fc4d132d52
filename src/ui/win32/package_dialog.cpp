// SPDX-License-Identifier: MIT
#include "package_dialog.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "dpi.h"
#include "modal_loop.h"

namespace gantrel::ui::win32 {
namespace {

// At 96 dpi.
constexpr int kClientWidth = 520;
constexpr int kClientHeight = 340;
constexpr int kButtonWidth = 90;
constexpr int kFilesColumnWidth = 60;
constexpr int kSizeColumnWidth = 80;

// The state image of a list view item with check boxes: 1 unchecked, 2 checked.
UINT checkImage(bool checked)
{
    return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
}

}  // namespace

/// The report-style list view of the folders, a check box on each row.
class FolderTable final : public ReportView {
public:
    FolderTable(const CreateArgs& args, int dpi, const std::vector<window::PackageRow>& rows)
        : ReportView(args, window::kPackageColumns,
                     std::array{scaledTo(kFilesColumnWidth, dpi), scaledTo(kSizeColumnWidth, dpi)},
                     LVS_EX_CHECKBOXES),
          m_rows(rows)
    {
        m_rendering = true;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            addRow(std::array{rows[row].folder, std::to_string(rows[row].files),
                              window::sizeText(rows[row].bytes)},
                   static_cast<LPARAM>(row));
        }
        m_rendering = false;
    }

    /// Sets the rows' check boxes as the rows have them, without reporting it.
    void showChecks()
    {
        m_rendering = true;
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            LVITEMA state{};
            state.stateMask = LVIS_STATEIMAGEMASK;
            state.state = checkImage(m_rows[row].checked);
            SendMessageA(hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        }
        m_rendering = false;
    }

    /// The user (the space bar, a click on a box) checked or unchecked a row.
    std::function<void(std::size_t, bool)> onCheck;

private:
    LRESULT onNotify(const NMHDR& header) override
    {
        if (header.code == static_cast<UINT>(LVN_ITEMCHANGED)) {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const bool checkChanged =
                (change.uChanged & LVIF_STATE) != 0 &&
                ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0;
            if (checkChanged && !m_rendering && change.iItem >= 0 && onCheck) {
                onCheck(static_cast<std::size_t>(change.iItem),
                        (change.uNewState & LVIS_STATEIMAGEMASK) == checkImage(true));
            }
            return 0;
        }
        if (header.code == static_cast<UINT>(NM_CUSTOMDRAW)) {
            // The control's own drawing, in the grey of disabled text for a folder the
            // installation lacks: the list view has no disabled items.
            auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
                return CDRF_NOTIFYITEMDRAW;
            }
            const std::size_t row = draw.nmcd.dwItemSpec;
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && row < m_rows.size() &&
                !m_rows[row].present) {
                draw.clrText = GetSysColor(COLOR_GRAYTEXT);
                return CDRF_NEWFONT;
            }
        }
        return CDRF_DODEFAULT;
    }

    const std::vector<window::PackageRow>& m_rows;
    bool m_rendering = false;
};

PackageDialog::PackageDialog(HWND owner, int dpi, window::PackageDialogModel& model)
    : m_model(model), m_font(messageFont(dpi))
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    const auto px = [dpi](int pixels) { return scaledTo(pixels, dpi); };
    const int width = px(kClientWidth);
    const int height = px(kClientHeight);
    const int margin = px(kBoxMargin);
    const int buttonWidth = px(kButtonWidth);
    const int buttonHeight = px(kBoxButtonHeight);
    const HFONT font = m_font.get();
    m_box = ownedBox(owner, window::kPackageDialogTitle, width, height);
    const HWND box = m_box->hwnd();
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const int inner = width - 2 * margin;
    const int buttonTop = height - margin - buttonHeight;
    const int totalTop = buttonTop - margin - px(kBoxLabelHeight);
    m_folders = std::make_unique<FolderTable>(
        CreateArgs{
            box, kFoldersId, {margin, margin, inner, totalTop - px(6) - margin}, "", 0, font},
        dpi, m_model.rows());
    m_total = std::make_unique<Static>(
        Static::Kind::Label,
        CreateArgs{box, kTotalId, {margin, totalTop, inner, px(kBoxLabelHeight)}, "", 0, font});
    const auto button = [&](int id, int left, const char* text, DWORD style) {
        return std::make_unique<Button>(CreateArgs{
            box, id, {left, buttonTop, buttonWidth, buttonHeight}, text, WS_TABSTOP | style, font});
    };
    m_checkAll = button(kCheckAllId, margin, window::kCheckAllButton, 0);
    m_uncheckAll =
        button(kUncheckAllId, margin + buttonWidth + px(8), window::kUncheckAllButton, 0);
    m_create = button(IDOK, width - margin - 2 * buttonWidth - px(8), window::kCreateButton,
                      BS_DEFPUSHBUTTON);
    m_cancel = button(IDCANCEL, width - margin - buttonWidth, "Cancel", 0);

    m_folders->onCheck = [this](std::size_t row, bool checked) {
        m_model.setChecked(row, checked);
        render();
    };
    m_checkAll->onClick = [this] {
        m_model.checkAll();
        render();
    };
    m_uncheckAll->onClick = [this] {
        m_model.uncheckAll();
        render();
    };
    m_create->onClick = [this] { close(true); };
    m_cancel->onClick = [this] { close(false); };
    m_box->onMessage = [this](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        // Escape and the close box cancel; Return, where no button has the focus, creates.
        if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
            close(false);
            return 0;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            close(true);
            return 0;
        }
        return std::nullopt;
    };
    render();
}

PackageDialog::~PackageDialog() = default;

bool PackageDialog::run()
{
    m_shown = true;
    m_created = false;
    runModal(hwnd(), m_folders->hwnd(), m_shown);
    // Hidden at once, so that the owner, enabled again, takes the activation.
    ShowWindow(hwnd(), SW_HIDE);
    return m_created;
}

void PackageDialog::render()
{
    m_folders->showChecks();
    m_total->setText(m_model.totalText());
}

void PackageDialog::close(bool create)
{
    m_created = create;
    m_shown = false;
}

}  // namespace gantrel::ui::win32
