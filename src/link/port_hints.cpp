#include "link/port_hints.h"

#include <cerrno>

namespace orvel {

std::string openFailureHint(int systemError) {
#ifdef __linux__
    switch (systemError) {
    case EACCES:
    case EPERM:
        // Serial devices belong to the dialout group, which new users are not in.
        return "O Linux não deu permissão para abrir a porta: o seu usuário precisa fazer "
               "parte do grupo dialout. Execute no terminal:\n\n"
               "    sudo usermod -aG dialout $USER\n\n"
               "e depois saia da sessão e entre de novo.";
    case EBUSY:
        // ModemManager opens every new ttyACM for some seconds to see if it is a modem.
        return "A porta está em uso por outro programa. Se o adaptador acabou de ser "
               "ligado, o ModemManager pode estar testando a porta: aguarde alguns segundos "
               "e tente de novo. Se a porta continuar ocupada, feche o programa que a usa.";
    default:
        return {};
    }
#elif defined(_WIN32)
    switch (systemError) {
    case 5:  // ERROR_ACCESS_DENIED: Windows gives a COM port to one program at a time
    case 32: // ERROR_SHARING_VIOLATION
        return "A porta está em uso por outro programa: feche o outro programa (outra janela "
               "do Orvel, um terminal serial) e clique em \"Ativar\" de novo.";
    default:
        return {};
    }
#else
    (void)systemError;
    return {};
#endif
}

} // namespace orvel
