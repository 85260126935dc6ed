// DsgnIntf (internal): making an editor object that serves one request of the host.
#pragma once

#include "framework/core/TypInfo.h"

#include <memory>

namespace DsgnIntf::Detail {

// Makes an object of EditorClass with Pending pointing at Request while its constructors run (the editor
// base's default constructor takes the request and clears Pending); Pending is clear afterwards in any case.
template <class R>
std::unique_ptr<System::TObject> CreateServing(System::TClass EditorClass, R*& Pending, R& Request) {
    struct TClear {
        R*& P;
        ~TClear() { P = nullptr; }
    } clear{Pending};
    Pending = &Request;
    return std::unique_ptr<System::TObject>(EditorClass->Create(nullptr));
}

} // namespace DsgnIntf::Detail
