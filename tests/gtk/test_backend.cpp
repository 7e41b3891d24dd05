// The toolkit's GTK backend through its public operations, on real GTK
// widgets on a display of the test's own, with keys and clicks through the X
// server: the events the widgets raise, the digits-only field, Tab order and
// shortcuts, the editor's lines, fonts, names, texts and sizes.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/toolkit/shared_rows.h"
#include "toolkit/core.h"

namespace {

constexpr int WINDOW = 3;

struct Event {
    int code, window, gadget, type;
    bool operator==(const Event&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << "{" << e.code << ", window " << e.window << ", gadget " << e.gadget << ", type " << e.type << "}";
}

// The events of `passes` short waits, the empty ones left out.
std::vector<Event> events_of(int passes = 20) {
    std::vector<Event> events;
    for (int i = 0; i < passes; ++i)
        if (const int code = wait_event(10); code != EVENT_NONE)
            events.push_back({code, event_window(), event_gadget(), event_type()});
    return events;
}

template <typename Done>
bool run_until(Done done) {
    for (int pass = 0; pass < 500 && !done(); ++pass) wait_event(10);
    return done();
}

GtkWidget* focus() { return gtk_window_get_focus(GTK_WINDOW(window_handle(WINDOW))); }
// The widget of a gadget that takes its text and the focus.
GtkWidget* body(int gadget) {
    GtkWidget* widget = gadget_handle(gadget);
    return GTK_IS_SCROLLED_WINDOW(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : widget;
}

// The least sizes of GTK's own widgets, as the theme draws them: a title bar
// with its close box and a button, a field and a label, given to `window`.
std::vector<int> own_widget_sizes(GtkWidget* window) {
    GtkWidget* bar = gtk_header_bar_new();
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
    for (GtkWidget* widget : {gtk_button_new_with_label("OK"), gtk_entry_new(), gtk_label_new("Balls")})
        gtk_header_bar_pack_start(GTK_HEADER_BAR(bar), widget);
    gtk_window_set_titlebar(GTK_WINDOW(window), bar);
    gtk_widget_show_all(bar);
    std::vector<int> sizes;
    gtk_container_foreach(
        GTK_CONTAINER(bar),
        [](GtkWidget* widget, gpointer out) {
            GtkRequisition least{};
            gtk_widget_get_preferred_size(widget, &least, nullptr);
            static_cast<std::vector<int>*>(out)->insert(static_cast<std::vector<int>*>(out)->end(),
                                                        {least.width, least.height});
        },
        &sizes);
    return sizes;
}
std::vector<int> sizes_before_the_toolkit;

// A key pressed on the X server's keyboard (XTEST), as a player presses it.
void key(const std::string& name) { ASSERT_EQ(std::system(("xdotool key " + name).c_str()), 0) << name; }

class Backend : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Every case runs under a theme whose paddings and least sizes are larger than the gadgets'
        // (just above the default theme, at the priority GTK gives the desktop's theme).
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
        GtkCssProvider* theme = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            theme, "button, entry, label, frame { padding: 14px; min-height: 48px; min-width: 48px; }", -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(theme),
                                                  GTK_STYLE_PROVIDER_PRIORITY_SETTINGS + 1);
        g_object_unref(theme);
        GtkWidget* plain = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        sizes_before_the_toolkit = own_widget_sizes(plain);
        gtk_widget_destroy(plain);
        create_general_heap();
        init_record_heap();
        init_fonts();
        init_windows();
        init_gadgets();
    }
    static void TearDownTestSuite() {
        close_all_windows();
        free_all_fonts();
        destroy_general_heap();
    }
    void SetUp() override {
        ASSERT_NE(open_window(WINDOW, 40, 40, 500, 300, "Backend", 0xCC0000), 0);
        use_gadget_list(window_handle(WINDOW));
        // Made in the game's order, at places whose order by position differs.
        create_button(0, 110, 140, 50, 30, "OK", 1);
        create_label(1, 70, 30, 140, 30, "Enter 4 Digit  PIN", 1);
        create_input(2, 90, 90, 90, 40, "", 0x2000);
        create_input(4, 20, 210, 50, 40, " 0", 0x800);
        create_editor(9, 270, 10, 200, 180, 0x800);
        create_button(11, 400, 230, 80, 40, "About", 1);
        add_shortcut(WINDOW, KEY_RETURN, 888);
        // The keyboard's focus, with no window manager.
        gtk_window_present(GTK_WINDOW(window_handle(WINDOW)));
        ASSERT_TRUE(run_until([] { return gtk_widget_get_mapped(gadget_handle(11)); }));
        events_of();
    }
    void TearDown() override { close_window(WINDOW); }
};

TEST_F(Backend, EveryFieldWriteRaisesItsChangeAndTheLastOneWins) {
    const struct {
        const char* name;
        std::vector<std::pair<int, const char*>> writes;
        int gadget;
    } rows[] = {
        {"the text the field holds", {{4, " 0"}}, 4},
        {"the guess cleared, then a count", {{2, "12"}, {2, ""}, {4, " 1"}}, 4},
        {"a count, then the guess", {{4, " 2"}, {2, "7"}}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& [gadget, text] : row.writes) set_gadget_text(gadget, text);
        EXPECT_EQ(events_of(), (std::vector<Event>{{EVENT_GADGET, WINDOW, row.gadget, -1}}));
        EXPECT_EQ(get_gadget_text(row.writes.back().first), row.writes.back().second);
    }
}

TEST_F(Backend, KeysAndClicksBecomeEventsAndTheGuessTakesTypedDigitsOnly) {
    gtk_widget_grab_focus(body(2));
    events_of();
    const struct {
        const char* name;
        int gadget;
        const char* key;
        const char* text;  // the guess field's after it
        std::vector<Event> events;
    } rows[] = {
        {"a digit", 2, "7", "7", {{EVENT_GADGET, WINDOW, 2, 768}}},
        {"a letter", 2, "a", "7", {}},
        {"a capital", 2, "shift+z", "7", {}},
        {"a blank", 2, "space", "7", {}},
        {"a minus", 2, "minus", "7", {}},
        {"Enter in the field", 2, "Return", "7", {{EVENT_MENU, WINDOW, 888, -1}}},
        {"the keypad's Enter", 2, "KP_Enter", "7", {{EVENT_MENU, WINDOW, 888, -1}}},
        {"space on a button", 11, "space", "7", {{EVENT_GADGET, WINDOW, 11, 0}}},
        {"Enter on a button", 11, "Return", "7", {{EVENT_MENU, WINDOW, 888, -1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.gadget != 2) gtk_widget_grab_focus(body(row.gadget));
        events_of();
        key(row.key);
        std::vector<Event> seen = events_of();
        std::erase_if(seen, [](const Event& e) { return e.type == 256 || e.type == 512 || e.type >= 14000; });
        EXPECT_EQ(seen, row.events);
        EXPECT_EQ(get_gadget_text(2), row.text);
        gtk_widget_grab_focus(body(2));
    }
}

TEST_F(Backend, PastedTextIsTakenAsItStands) {
    const struct {
        const char* name;
        std::string paste;
        std::string field;
    } rows[] = {
        {"letters and digits", "ab12", "ab12"},
        {"a line break keeps the first line", "56\r\n78", "56"},
        {"beyond Latin-1 reads as ?",
         "\xE2\x82\xAC"
         "1\xC3\xA9",
         "?1\xE9"},
        {"32 000 digits", std::string(31996, '8') + "5678", std::string(31996, '8') + "5678"},
    };
    gtk_widget_grab_focus(body(2));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        set_gadget_text(2, "");
        events_of();
        gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), row.paste.c_str(), -1);
        key("ctrl+v");
        EXPECT_EQ(events_of(), (std::vector<Event>{{EVENT_GADGET, WINDOW, 2, 768}}));
        EXPECT_EQ(get_gadget_text(2), row.field);
    }
}

TEST_F(Backend, TabVisitsTheTabStopsInCreationOrderAndTheFieldKeepsItsText) {
    set_gadget_text(2, "1234");
    const struct {
        const char* key;
        std::vector<int> order;
    } rows[] = {{"Tab", {2, 4, 9, 11, 0, 2}}, {"shift+Tab", {11, 9, 4, 2, 0, 11}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        gtk_widget_grab_focus(body(0));
        for (const int expected : row.order) {
            key(row.key);
            EXPECT_TRUE(run_until([&] { return focus() == body(expected); })) << "to gadget " << expected;
            EXPECT_FALSE(gtk_editable_get_selection_bounds(GTK_EDITABLE(body(2)), nullptr, nullptr));
        }
    }
    // The guess field's focus: its notification at once, the posted type by a later wait.
    gtk_widget_grab_focus(body(0));
    events_of();
    key("Tab");
    EXPECT_EQ(events_of(), (std::vector<Event>{{EVENT_GADGET, WINDOW, 2, 256}, {EVENT_GADGET, WINDOW, 2, 14000}}));
    // A click on a button from the field: the focus it takes away is told
    // before the click, as Win32 hands out posted messages before input.
    GtkAllocation place{};
    gtk_widget_get_allocation(body(0), &place);
    int x = 0;
    int y = 0;
    gdk_window_get_origin(gtk_widget_get_window(body(0)), &x, &y);
    events_of();
    ASSERT_EQ(std::system(("xdotool mousemove " + std::to_string(x + place.x + place.width / 2) + " " +
                           std::to_string(y + place.y + place.height / 2) + " click 1")
                              .c_str()),
              0);
    EXPECT_EQ(events_of(),
              (std::vector<Event>{
                  {EVENT_GADGET, WINDOW, 2, 512}, {EVENT_GADGET, WINDOW, 2, 14001}, {EVENT_GADGET, WINDOW, 0, 0}}));
    add_shortcut(WINDOW, KEY_TAB, 5);
    key("Tab");
    EXPECT_EQ(events_of(), (std::vector<Event>{{EVENT_MENU, WINDOW, 5, -1}})) << "a shortcut bound to Tab replaces it";
}

TEST_F(Backend, WaitsReturnOnlyTheToolkitsEvents) {
    // A field with the focus and an editable display: the caret blinks.
    create_editor(9, 270, 10, 200, 180, 0);
    gtk_widget_grab_focus(body(9));
    events_of();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(wait_event(0), EVENT_NONE);
    EXPECT_EQ(wait_event(700), EVENT_NONE);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(690));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));

    gtk_window_close(GTK_WINDOW(window_handle(WINDOW)));  // as the close box does
    const std::vector<Event> closed = events_of();
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ((std::pair{closed[0].code, closed[0].window}), (std::pair{EVENT_CLOSE, WINDOW}));
    EXPECT_NE(window_handle(WINDOW), nullptr) << "the client decides";
}

TEST_F(Backend, EditorLines) {
    for (const EditorAddRow& row : EDITOR_ADD_ROWS) {
        SCOPED_TRACE(row.name);
        set_gadget_text(9, row.initial);
        for (const auto& [position, text] : row.adds) add_gadget_item(9, position, text);
        std::vector<std::string> lines;
        std::string joined;
        for (int line = 0; line < count_gadget_items(9); ++line) {
            lines.push_back(get_gadget_item_text(9, line));
            joined += (line ? "\r\n" : "") + lines.back();
        }
        EXPECT_EQ(lines, row.lines);
        EXPECT_EQ(get_gadget_text(9), joined);
    }
    set_gadget_text(9, "one\r\ntwo\rthree");
    set_gadget_item_text(9, 1, "TWO");
    remove_gadget_item(9, 0);
    EXPECT_EQ(get_gadget_text(9), "TWO\r\nthree");
    EXPECT_EQ(get_gadget_attribute(9, ATTRIBUTE_READ_ONLY), 1);
}

TEST_F(Backend, FontsNamesTextsAndSizes) {
    const int dpi = static_cast<int>(gdk_screen_get_resolution(gdk_screen_get_default()) + 0.5);
    for (const FontHeightRow& row : FONT_HEIGHT_ROWS) {
        SCOPED_TRACE(row.points);
        auto* font = reinterpret_cast<PangoFontDescription*>(load_font(1, "Arial", row.points));
        ASSERT_NE(font, nullptr);
        EXPECT_TRUE(pango_font_description_get_size_is_absolute(font));
        EXPECT_EQ(pango_font_description_get_size(font) / PANGO_SCALE, dpi == 120 ? row.height_120 : row.height_96);
    }
    // A gadget keeps its font when the font is freed; the default font reaches gadgets made later.
    const auto family = [](int gadget) {
        return std::string(pango_font_description_get_family(
            pango_context_get_font_description(gtk_widget_get_pango_context(body(gadget)))));
    };
    set_gadget_font(9, reinterpret_cast<PangoFontDescription*>(load_font(2, "Courier New", 9)));
    set_gadget_font(-1, reinterpret_cast<PangoFontDescription*>(load_font(3, "Times New Roman", 12)));
    free_all_fonts();
    set_gadget_colour(9, COLOUR_FRONT, 0x008000);
    create_label(12, 10, 10, 50, 20, "later", 0);
    set_gadget_font(-1, DEFAULT_GADGET_FONT);
    EXPECT_EQ((std::pair{family(9), family(12)}),
              (std::pair{std::string("Courier New"), std::string("Times New Roman")}));
    EXPECT_EQ(set_gadget_name(8, "nobody"), 0);
    for (const char* name : {"Strikes", "Balls"}) {
        EXPECT_EQ(set_gadget_name(4, name), 1);
        EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(body(4))), name);
    }
    EXPECT_EQ(pango_layout_get_width(gtk_label_get_layout(GTK_LABEL(body(1)))) / PANGO_SCALE, (140 * dpi + 48) / 96)
        << "the prompt wraps at its gadget's width, whatever the theme's paddings";
    set_gadget_text(1, "caf\xE9");
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(body(1))), "caf\xC3\xA9") << "Latin-1 in, UTF-8 on screen";
    EXPECT_EQ(get_gadget_text(1), "caf\xE9");
    // Every gadget takes the rectangle it was given, at the display's scale.
    const struct {
        int gadget, width, height;
    } rows[] = {{0, 50, 30}, {1, 140, 30}, {2, 90, 40}, {4, 50, 40}, {9, 200, 180}, {11, 80, 40}};
    for (const auto& row : rows) {
        GtkAllocation given{};
        gtk_widget_get_allocation(gadget_handle(row.gadget), &given);
        EXPECT_EQ((std::pair{given.width, given.height}),
                  (std::pair{(row.width * dpi + 48) / 96, (row.height * dpi + 48) / 96}))
            << "gadget " << row.gadget;
    }
}

TEST_F(Backend, GtksOwnWidgetsKeepTheThemesLookAndSettings) {
    // In a window of their own, and as a toolkit window's title bar (GTK draws it itself on Wayland).
    ASSERT_NE(open_window(5, 0, 0, 200, 100, "Bar", 0xCC0000 | WINDOW_HIDDEN), 0);
    for (GtkWidget* window : {gtk_window_new(GTK_WINDOW_TOPLEVEL), window_handle(5)})
        EXPECT_EQ(own_widget_sizes(window), sizes_before_the_toolkit);
    gboolean select_on_focus = FALSE;
    g_object_get(gtk_settings_get_default(), "gtk-entry-select-on-focus", &select_on_focus, nullptr);
    set_gadget_text(2, "1234");
    gtk_widget_grab_focus(body(0));
    gtk_widget_grab_focus(body(2));
    EXPECT_EQ((std::pair{select_on_focus, gtk_editable_get_selection_bounds(GTK_EDITABLE(body(2)), nullptr, nullptr)}),
              (std::pair<int, int>{TRUE, FALSE}))
        << "the desktop's setting stays, the guess keeps its text unselected";
}

TEST_F(Backend, AClosedWindowLeavesNothingBehind) {
    gtk_widget_grab_focus(body(2));
    events_of();
    void* record = general_alloc(6 * sizeof(void*));
    static_cast<void**>(record)[5] = general_alloc(16);
    ASSERT_TRUE(post_window_data(WINDOW, record));
    close_window(WINDOW);
    EXPECT_EQ(events_of(), std::vector<Event>{}) << "its field's focus lost as it closed";
    EXPECT_EQ(event_core()->handed_count, 0) << "the record on its way went with the window";
}

}  // namespace
