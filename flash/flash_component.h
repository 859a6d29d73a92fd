// The built-in Flash component: a COM class with the Flash control's class identifier, served by
// this process itself. Start-up registers its class object after COM is initialised and before
// any control is created, so that creation by class identifier finds it without any registry
// entry; the class object registered by the process takes precedence over a component of the
// same identifier that may be installed on the machine.
#pragma once

#include <windows.h>

// Registers the class object for the process (CoRegisterClassObject, in-process server, multiple
// use). Calling it again while registered does nothing and succeeds.
HRESULT RegisterFlashComponentClass();
// Revokes the registration made above; without one it does nothing.
void RevokeFlashComponentClass();

// Whether components of this process send their movie's sound to the audio output (the default).
// The preview turns it off before making its player: a preview is silent.
void SetFlashComponentSound(bool enabled);
bool FlashComponentSound();
