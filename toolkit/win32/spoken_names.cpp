// The names a screen reader speaks for gadgets. A named or live gadget answers
// the question for its client object with the platform's own accessible object
// for the control, wrapped so that only the name is the one given; every other
// question goes to the platform's object. Other gadgets are left to the
// platform altogether.
//
// A live gadget is a polite live region: its client object carries the
// platform's live setting (an annotation, where the platform keeps them), and
// each non-empty write raises the live-region event from the control. Screen
// readers then speak the object's name, so from its first such write on a
// live gadget's name is the newest text written into it: a given name would
// be spoken in its place, and the rich-text display's name is not its text.
// An empty write gives the name back. The platform's other way, a notification
// carrying the text, is not raised besides: the screen readers act on both
// and would say each text twice.
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
// that meets that one first yields no identifier at all. The annotation
// service's names are defined here alike; the live setting's property is
// missing from the cross compilers' headers.
constexpr IID ACCESSIBLE_INTERFACE = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr CLSID ANNOTATION_SERVICE = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID ANNOTATION_INTERFACE = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID LIVE_SETTING = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG LIVE_POLITE = 1;

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

// The name of the gadget `control` while it lives: the newest text written
// into it while live, else the name given. Asked on the toolkit's thread
// only: on any other thread, and for a control that is gone (which belongs to
// no thread), nullptr, and the platform's object answers.
const wchar_t* spoken_name_of(HWND control) {
    if (GetWindowThreadProcessId(control, nullptr) != GetCurrentThreadId()) return nullptr;
    const GadgetRecord* record = find_gadget(static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)));
    if (!record || record->handle != control) return nullptr;
    return record->live_text ? record->live_text : record->spoken_name;
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

// The text in the general heap, wide; nullptr without memory for it.
wchar_t* wide_copy(const char* text) {
    // No character of the code page becomes more than one of the wide text.
    const size_t length = std::strlen(text) + 1;
    auto* wide = length <= INT32_MAX ? static_cast<wchar_t*>(general_alloc(sizeof(wchar_t) * length)) : nullptr;
    if (wide) MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(length));
    return wide;
}

// The platform's annotation service, made at the first need and kept for the
// toolkit's life; nullptr where there is none. COM stays initialised on the
// toolkit's thread from then on: an annotation outlasts the call that made it.
IAccPropServices* annotations() {
    static IAccPropServices* service = nullptr;
    static bool asked = false;
    if (!asked) {
        asked = true;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(CoCreateInstance(ANNOTATION_SERVICE, nullptr, CLSCTX_INPROC_SERVER, ANNOTATION_INTERFACE,
                                    reinterpret_cast<void**>(&service))))
            service = nullptr;
    }
    return service;
}

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
    wchar_t* wide = wide_copy(name ? name : "");
    if (!wide) return 0;
    general_free(record->spoken_name);
    record->spoken_name = wide;
    return 1;
}

// Where the platform keeps no annotations the gadget is live all the same:
// the event goes out, and the screen readers that act on it alone speak.
int set_gadget_live(int number, int live) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    if (!live) {
        end_live(record);
    } else if (!record->live) {
        if (IAccPropServices* service = annotations()) {
            VARIANT polite;
            VariantInit(&polite);
            V_VT(&polite) = VT_I4;
            V_I4(&polite) = LIVE_POLITE;
            service->lpVtbl->SetHwndProp(service, record->handle, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         LIVE_SETTING, polite);
        }
        record->live = true;
    }
    return 1;
}

void announce_write(GadgetRecord* record, const char* text) {
    if (!record->live) return;
    general_free(record->live_text);
    record->live_text = text[0] ? wide_copy(text) : nullptr;
    // The event only once the name gives the text (without memory for it, it would give another).
    if (record->live_text) NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, record->handle, OBJID_CLIENT, CHILDID_SELF);
}

void end_live(GadgetRecord* record) {
    if (!record->live) return;
    if (IAccPropServices* service = annotations())
        service->lpVtbl->ClearHwndProps(service, record->handle, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        &LIVE_SETTING, 1);
    general_free(record->live_text);
    record->live_text = nullptr;
    record->live = false;
}
