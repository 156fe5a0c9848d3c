#pragma once

#include <QString>

#include <functional>

namespace ret {

class MainProgram;
enum class Window;

inline const QString kMainCaption = QStringLiteral("0947 Agentes de Retención - v 1.1");

// What the main window's actions need from the window that shows them.
struct MainMenuHooks {
    // Ends the program.
    std::function<void()> endProgram;
};

// The actions of MDIFrm's menus and toolbar: each records what the user chose in OperationMode
// and SentMode and opens the window that works on it.
class MainMenu {
public:
    MainMenu(MainProgram& program, MainMenuHooks hooks);

    // Declaraciones
    void nueva();
    void modificar();
    void eliminar();
    void imprimir();
    // "&Copia de seguridad": a proven backup of the database into the folder of backups.
    void copiaDeSeguridad();
    void salir();
    // Declaraciones Enviadas
    void registrarNumeroOrden();
    void eliminarEnviada();
    void imprimirEnviada();
    // Consultas
    void bancos();
    // Ayuda
    void MostrarHelp();
    void acercaDe();

    // A button of Toolbar1 by its index (1 to 10); separators do nothing.
    void toolbarButton(int index);

    // The mouse moved over the main window's client area: the name text goes.
    void clientAreaMouseMove();

private:
    void open(int operationMode, bool sentMode, Window window);
    void print(bool sentMode);
    void salirToolbar();
    void tellHelpMissing(const QString& text);

    MainProgram& program_;
    MainMenuHooks hooks_;
};

} // namespace ret
