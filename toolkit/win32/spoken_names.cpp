// The names a screen reader speaks for gadgets. A named gadget answers the
// question for its client object with the platform's own accessible object for
// the control, wrapped so that only the name is the one given; every other
// question goes to the platform's object. Gadgets without a name are left to
// the platform altogether.
//
// The wrapper is a plain COM record: its first word points at a static table
// of functions laid out as the platform's IAccessible (this file is compiled
// with the platform's C layout of the interfaces).
#define CINTERFACE
#include "toolkit/win32/internal.h"

#include <oleacc.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace {

// Defined here rather than taken from a library: one of the cross compilers'
// import libraries declares this name as a function of the DLL, and a link
// that meets that one first yields no identifier at all.
constexpr IID ACCESSIBLE_INTERFACE = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct NamedObject {
    const IAccessibleVtbl* table;  // first: the record is an IAccessible
    LONG references;
    IAccessible* platform;  // the platform's object for the control, one reference held
    HWND control;
};

NamedObject* named(IAccessible* self) { return reinterpret_cast<NamedObject*>(self); }

// A VARIANT argument travels as words of its size, which the platform passes
// alike: a forwarder then jumps into the platform's function instead of
// copying the VARIANT to realign it and calling.
struct VariantWords {
    DWORD words[sizeof(VARIANT) / sizeof(DWORD)];
};
template <typename T>
using Passed = std::conditional_t<std::is_same_v<T, VARIANT>, VariantWords, T>;

// Any slot but the name: the same question to the platform's object.
template <auto Slot>
struct Forward;
template <typename... Args, HRESULT (STDMETHODCALLTYPE* IAccessibleVtbl::*Slot)(IAccessible*, Args...)>
struct Forward<Slot> {
    using Passing = HRESULT(STDMETHODCALLTYPE*)(IAccessible*, Passed<Args>...);
    static HRESULT STDMETHODCALLTYPE call(IAccessible* self, Passed<Args>... args) {
        IAccessible* platform = named(self)->platform;
        return reinterpret_cast<Passing>(platform->lpVtbl->*Slot)(platform, args...);
    }
};

// The name given to the live gadget `control`. Asked on the toolkit's thread
// only: on any other thread, and for a control that is gone (which belongs to
// no thread), nullptr, and the platform's object answers.
const wchar_t* spoken_name_of(HWND control) {
    if (GetWindowThreadProcessId(control, nullptr) != GetCurrentThreadId()) return nullptr;
    const GadgetRecord* record = find_gadget(static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)));
    return record && record->handle == control ? record->spoken_name : nullptr;
}

HRESULT STDMETHODCALLTYPE get_name(IAccessible* self, VariantWords child, BSTR* name) {
    VARIANT asked;
    std::memcpy(&asked, &child, sizeof asked);
    const wchar_t* given =
        V_VT(&asked) == VT_I4 && V_I4(&asked) == CHILDID_SELF ? spoken_name_of(named(self)->control) : nullptr;
    if (!given) return Forward<&IAccessibleVtbl::get_accName>::call(self, child, name);
    if (!name) return E_POINTER;
    *name = SysAllocString(given);
    return *name ? S_OK : E_OUTOFMEMORY;
}

// A named gadget whose text the platform does not give as its value (a label,
// the rich-text display, whose name the platform took from their text) gives
// its text so: a name of its own must not silence what it shows.
HRESULT STDMETHODCALLTYPE get_value(IAccessible* self, VariantWords child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    const HRESULT platform = Forward<&IAccessibleVtbl::get_accValue>::call(self, child, value);
    VARIANT asked;
    std::memcpy(&asked, &child, sizeof asked);
    HWND control = named(self)->control;
    if ((SUCCEEDED(platform) && *value) || V_VT(&asked) != VT_I4 || V_I4(&asked) != CHILDID_SELF ||
        !spoken_name_of(control))
        return platform;
    const int length = GetWindowTextLengthW(control);
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!text) return E_OUTOFMEMORY;
    GetWindowTextW(control, text, length + 1);
    *value = text;
    return S_OK;
}

// The record's own faces first; the platform object's other faces (its
// window, its children) are its own.
const IID* const FACES[] = {&IID_IUnknown, &IID_IDispatch, &ACCESSIBLE_INTERFACE, &IID_IOleWindow, &IID_IEnumVARIANT};
constexpr int OWN_FACES = 3;

HRESULT STDMETHODCALLTYPE query_interface(IAccessible* self, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (int face = 0; face < static_cast<int>(std::size(FACES)); ++face) {
        if (!IsEqualIID(iid, *FACES[face])) continue;
        if (face >= OWN_FACES) return named(self)->platform->lpVtbl->QueryInterface(named(self)->platform, iid, out);
        InterlockedIncrement(&named(self)->references);
        *out = self;
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE add_reference(IAccessible* self) {
    return static_cast<ULONG>(InterlockedIncrement(&named(self)->references));
}

ULONG STDMETHODCALLTYPE release(IAccessible* self) {
    NamedObject* object = named(self);
    const LONG left = InterlockedDecrement(&object->references);
    if (left == 0) {
        object->platform->lpVtbl->Release(object->platform);
        CoTaskMemFree(object);
    }
    return static_cast<ULONG>(left);
}

// The functions that take VARIANTs as words go in by the platform's layout
// rather than their type.
using Table = IAccessibleVtbl;
const IAccessibleVtbl named_table = {
    query_interface,
    add_reference,
    release,
    reinterpret_cast<decltype(Table::GetTypeInfoCount)>(&Forward<&Table::GetTypeInfoCount>::call),
    reinterpret_cast<decltype(Table::GetTypeInfo)>(&Forward<&Table::GetTypeInfo>::call),
    reinterpret_cast<decltype(Table::GetIDsOfNames)>(&Forward<&Table::GetIDsOfNames>::call),
    reinterpret_cast<decltype(Table::Invoke)>(&Forward<&Table::Invoke>::call),
    reinterpret_cast<decltype(Table::get_accParent)>(&Forward<&Table::get_accParent>::call),
    reinterpret_cast<decltype(Table::get_accChildCount)>(&Forward<&Table::get_accChildCount>::call),
    reinterpret_cast<decltype(Table::get_accChild)>(&Forward<&Table::get_accChild>::call),
    reinterpret_cast<decltype(Table::get_accName)>(&get_name),
    reinterpret_cast<decltype(Table::get_accValue)>(&get_value),
    reinterpret_cast<decltype(Table::get_accDescription)>(&Forward<&Table::get_accDescription>::call),
    reinterpret_cast<decltype(Table::get_accRole)>(&Forward<&Table::get_accRole>::call),
    reinterpret_cast<decltype(Table::get_accState)>(&Forward<&Table::get_accState>::call),
    reinterpret_cast<decltype(Table::get_accHelp)>(&Forward<&Table::get_accHelp>::call),
    reinterpret_cast<decltype(Table::get_accHelpTopic)>(&Forward<&Table::get_accHelpTopic>::call),
    reinterpret_cast<decltype(Table::get_accKeyboardShortcut)>(&Forward<&Table::get_accKeyboardShortcut>::call),
    reinterpret_cast<decltype(Table::get_accFocus)>(&Forward<&Table::get_accFocus>::call),
    reinterpret_cast<decltype(Table::get_accSelection)>(&Forward<&Table::get_accSelection>::call),
    reinterpret_cast<decltype(Table::get_accDefaultAction)>(&Forward<&Table::get_accDefaultAction>::call),
    reinterpret_cast<decltype(Table::accSelect)>(&Forward<&Table::accSelect>::call),
    reinterpret_cast<decltype(Table::accLocation)>(&Forward<&Table::accLocation>::call),
    reinterpret_cast<decltype(Table::accNavigate)>(&Forward<&Table::accNavigate>::call),
    reinterpret_cast<decltype(Table::accHitTest)>(&Forward<&Table::accHitTest>::call),
    reinterpret_cast<decltype(Table::accDoDefaultAction)>(&Forward<&Table::accDoDefaultAction>::call),
    reinterpret_cast<decltype(Table::put_accName)>(&Forward<&Table::put_accName>::call),
    reinterpret_cast<decltype(Table::put_accValue)>(&Forward<&Table::put_accValue>::call),
};

}  // namespace

LRESULT named_client_object(HWND control, WPARAM wparam) {
    auto* object = static_cast<NamedObject*>(CoTaskMemAlloc(sizeof(NamedObject)));
    if (!object) return 0;
    *object = NamedObject{&named_table, 1, nullptr, control};
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, ACCESSIBLE_INTERFACE,
                                         reinterpret_cast<void**>(&object->platform)))) {
        CoTaskMemFree(object);
        return 0;
    }
    auto* self = reinterpret_cast<IAccessible*>(object);
    // The answer holds its own reference until the asker takes the object.
    const LRESULT answer = LresultFromObject(ACCESSIBLE_INTERFACE, wparam, reinterpret_cast<IUnknown*>(self));
    release(self);
    return answer > 0 ? answer : 0;
}

// A missing name counts as "" (a name that says nothing). Without memory for
// the new name, 0, and the earlier name, if any, stays.
int set_gadget_name(int number, const char* name) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    if (!name) name = "";
    // No character of the code page becomes more than one of the wide text.
    const size_t length = std::strlen(name) + 1;
    auto* wide = length <= INT32_MAX ? static_cast<wchar_t*>(general_alloc(sizeof(wchar_t) * length)) : nullptr;
    if (!wide) return 0;
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide, static_cast<int>(length));
    general_free(record->spoken_name);
    record->spoken_name = wide;
    return 1;
}
