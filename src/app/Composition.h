#pragma once

#include "campaign/Campaign.h"
#include "core/Ports.h"
#include "dialer_link/DialerLink.h"

class MainController;
class UserPrompts;

// Builds the subsystems around the main window's logic and plugs them in.
// Lives as long as the controller.
class Composition {
public:
    Composition(MainController &controller, UserPrompts &prompts, bool fast);

    DialerLink &dialerLink() { return m_link; }
    Campaign &campaign() { return m_campaign; }

private:
    DialerLink m_link;
    Campaign m_campaign;
};
