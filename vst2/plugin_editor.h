// The optional editor an effect may attach to its `editor` member.
//
// Sarnovellite never attaches one; the interface exists so the dispatchers
// can route the editor opcodes the way every derived effect expects. The
// effect owns its editor and deletes it in its destructor.
#pragma once

#include "vst2/record/aeffect.h"
#include "vst2/record/vst_opaque_types.h"

class AEffEditor {
public:
    virtual ~AEffEditor() = default;
    virtual bool getRect(ERect** rect) = 0;
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual void idle() = 0;
    virtual bool onKeyDown(VstKeyCode& key) = 0;
    virtual bool onKeyUp(VstKeyCode& key) = 0;
    virtual bool setKnobMode(VstInt32 mode) = 0;
};
