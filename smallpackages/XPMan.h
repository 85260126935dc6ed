// XPMan: the unit of the Ocellon package, the manifest component on the palette page "XP".
//
// Declares: TXPManifest (a non-visual component that declares nothing of its own: what it stands for is
// the package's application manifest, which asks for version 6 of the system's common controls) and the
// unit's entries Initialization, Finalization and Register.
#pragma once

#include "framework/core/ClassesComponent.h"

namespace XPMan {

using Classes::TComponent;

class TXPManifest : public TComponent {
    DECLARE_CLASS(TXPManifest, TComponent)
public:
    using TComponent::TComponent;
};

// The unit's initialization and finalization: it holds nothing, so they have nothing to do.
void Initialization();
void Finalization();
// TXPManifest on the palette page "XP".
void Register();

} // namespace XPMan
