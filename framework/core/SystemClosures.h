// System: closures, the framework's events ("procedure of object").
//
// Declares: TCodePointer, TMethod (an object and one of its methods, type-erased, as properties and streams
// carry it) and TEvent<R(A...)> (the typed event that a class keeps in a field and calls).
//
//   using TNotifyEvent = System::TEvent<void(TObject* Sender)>;        // Classes declares this one
//   Timer->OnTimer = TNotifyEvent::Bind<&TForm1::UpdateTimerTimer>(this);
//   OnTimer(this);                                                    // nothing happens when unassigned
//
// A closure remembers its method's published name (the class's published-methods table, TypInfo.h), so that
// the component writer can store it as "OnTimer = UpdateTimerTimer" and the reader can bind it back by name.
// Two closures are equal when they call the same method of the same object.
#pragma once

#include "framework/core/System.h"

#include <cstddef>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace System {

// The code of a method: a thunk "R (*)(TObject* self, A... args)" stored under one common pointer type.
using TCodePointer = void (*)();

struct TMethod {
    TCodePointer Code = nullptr;
    TObject* Data = nullptr;
    const char* Name = nullptr;                // the published name of the method, or nullptr
    const std::type_info* Signature = nullptr; // R(A...): only a closure of the event's own type is accepted

    bool Assigned() const { return Code != nullptr; }
    friend bool operator==(const TMethod& a, const TMethod& b) {
        return a.Code == b.Code && a.Data == b.Data;
    }
};

} // namespace System

namespace TypInfo {
// The published name of the method whose code is code, searched in cls and its ancestors; nullptr if none.
const char* MethodNameOf(System::TClass cls, System::TCodePointer code);
} // namespace TypInfo

namespace System::Detail {

// The thunk that calls the member function M on an object passed as TObject*.
template <auto M, class = decltype(M)> struct TMethodThunk;

template <auto M, class C, class R, class... A> struct TMethodThunk<M, R (C::*)(A...)> {
    using Class = C;
    using Signature = R(A...);
    static R Call(TObject* self, A... args) { return (static_cast<C*>(self)->*M)(std::forward<A>(args)...); }
};

template <auto M, class C, class R, class... A> struct TMethodThunk<M, R (C::*)(A...) const> {
    using Class = C;
    using Signature = R(A...);
    static R Call(TObject* self, A... args) { return (static_cast<C*>(self)->*M)(std::forward<A>(args)...); }
};

template <auto M> TCodePointer CodeOf() {
    return reinterpret_cast<TCodePointer>(&TMethodThunk<M>::Call);
}

} // namespace System::Detail

namespace System {

template <class Sig> class TEvent;

template <class R, class... A> class TEvent<R(A...)> {
public:
    using TSignature = R(A...);

    TEvent() = default;
    TEvent(std::nullptr_t) {}

    // A closure of the method M of obj. M must have exactly the event's parameters and result.
    template <auto M, class C> static TEvent Bind(C* obj) {
        using Thunk = Detail::TMethodThunk<M>;
        static_assert(std::is_same_v<typename Thunk::Signature, TSignature>,
                      "the method's parameters and result differ from the event's");
        static_assert(std::is_base_of_v<TObject, typename Thunk::Class>,
                      "events call methods of TObject classes");
        static_assert(std::is_base_of_v<typename Thunk::Class, C>, "the object does not have this method");
        TEvent e;
        if (obj == nullptr) return e;
        TObject* self = static_cast<typename Thunk::Class*>(obj);
        e.FMethod.Code = Detail::CodeOf<M>();
        e.FMethod.Data = self;
        e.FMethod.Signature = &typeid(TSignature);
        e.FMethod.Name = TypInfo::MethodNameOf(self->ClassType(), e.FMethod.Code);
        return e;
    }

    // The closure as properties carry it, and back. FromMethod trusts the signature: the setters of method
    // properties (TypInfo::SetMethodProp) check it before they get here.
    const TMethod& GetMethod() const { return FMethod; }
    static TEvent FromMethod(const TMethod& m) {
        TEvent e;
        if (m.Code != nullptr) {
            e.FMethod = m;
            e.FMethod.Signature = &typeid(TSignature);
        }
        return e;
    }

    bool Assigned() const { return FMethod.Code != nullptr; }
    explicit operator bool() const { return Assigned(); }
    TObject* Data() const { return FMethod.Data; }
    const char* Name() const { return FMethod.Name; }

    // Calls the method; an unassigned event does nothing (and gives a value-initialised result).
    R operator()(A... args) const {
        if (FMethod.Code == nullptr) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R();
        }
        auto fn = reinterpret_cast<R (*)(TObject*, A...)>(FMethod.Code);
        return fn(FMethod.Data, std::forward<A>(args)...);
    }

    friend bool operator==(const TEvent& a, const TEvent& b) { return a.FMethod == b.FMethod; }

private:
    TMethod FMethod;
};

} // namespace System
