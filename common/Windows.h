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
};

// Opens a window modally, as a fresh instance, and returns when it has closed. The windowed
// program shows real windows; tests record the openings and play what the window would do.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    virtual void open(Window window) = 0;
};

} // namespace ret
