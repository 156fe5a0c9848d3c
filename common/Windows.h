#pragma once

namespace ret {

// The windows one window opens from another.
enum class Window {
    Frm947,           // declaration
    FrmContAbrir,     // registered declarations
    FrmContAbrirE,    // sent declarations
    FrmConsultas,     // banks query
    frmAcercade,      // about
    frmImprimir,      // print selection
    FrmAgeRet,        // retention subject
    FrmDetAgeRet,     // retention voucher
    frmRetDet,        // payment voucher
    frmTransferencia, // import
    FrmConsist,       // inconsistencies
    FrmHistorial,     // the record of a declaration's changes
};

// Opens a window modally, as a fresh instance, and returns when it has closed. The windowed
// program shows real windows; tests record the openings and play what the window would do.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    virtual void open(Window window) = 0;
    // Shows the help window on a topic's page (kHelpContents: the contents page).
    virtual void openHelp(int topic) = 0;
};

// The help topic of a window as it opens; the declaration window, the lists and the print
// window change theirs with what they show.
int helpTopic(Window window);

// The topics of the windows opened by others than the window opener, and of the task pages.
namespace topics {
constexpr int kBanks = 1014;
constexpr int kSent = 1015;
constexpr int kRegistered = 1016; // the registered declarations and their printing
constexpr int kDebtTab = 1018;
constexpr int kIdentificationTab = 1020;
constexpr int kRetentionTab = 1021;
constexpr int kSubject = 1030;
constexpr int kVoucher = 1031;
constexpr int kPaymentVoucher = 1032;
constexpr int kImport = 1033;
constexpr int kPageRange = 1034;
constexpr int kViewer = 1035;
constexpr int kAbout = 1036;
constexpr int kInconsistencies = 1037;
constexpr int kFirstDeclaration = 1101;
constexpr int kImportFile = 1102;
constexpr int kPrinting = 1103;
constexpr int kOrderNumber = 1104;
constexpr int kRectifying = 1105;
} // namespace topics

inline int helpTopic(Window window) {
    switch (window) {
    case Window::Frm947:
        return topics::kIdentificationTab;
    case Window::FrmContAbrir:
    case Window::frmImprimir:
        return topics::kRegistered;
    case Window::FrmContAbrirE:
        return topics::kSent;
    case Window::FrmConsultas:
        return topics::kBanks;
    case Window::frmAcercade:
        return topics::kAbout;
    case Window::FrmAgeRet:
        return topics::kSubject;
    case Window::FrmDetAgeRet:
        return topics::kVoucher;
    case Window::frmRetDet:
        return topics::kPaymentVoucher;
    case Window::frmTransferencia:
        return topics::kImport;
    case Window::FrmConsist:
        return topics::kInconsistencies;
    case Window::FrmHistorial:
        return topics::kRegistered;
    }
    return 0;
}

} // namespace ret
