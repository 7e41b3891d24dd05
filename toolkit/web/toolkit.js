// The toolkit's page side: windows and gadgets as elements, their texts,
// fonts and names, and the listeners that queue what the player does. The
// program takes the queued events in wait_event (events.cpp); no listener
// ever calls into it, and while it waits nothing runs: no timer, no frame.
// Elements are known to the program by numbers from 1 up (tk.els).
var TavekToolkit = {
  $tk: {
    els: [null],
    queue: [],   // [code, window, gadget, type]
    wake: null,  // resumes a waiting program
    timer: 0,
    keyed: false,
    // Texts are the toolkit's Latin-1 bytes; what a page holds beyond Latin-1 reads as '?'.
    read: function(p) {
      var s = '';
      for (var c; (c = HEAPU8[p]); ++p) s += String.fromCharCode(c);
      return s;
    },
    write: function(s) {
      var codes = [];
      for (var ch of s) { var c = ch.codePointAt(0); codes.push(c < 256 ? c : 63); }
      var p = _malloc(codes.length + 1);
      HEAPU8.set(codes, p);
      HEAPU8[p + codes.length] = 0;
      return p;
    },
    add: function(el) { tk.els.push(el); el.tkId = tk.els.length - 1; return el.tkId; },
    post: function(entry) {
      tk.queue.push(entry);
      var wake = tk.wake;
      if (!wake) return;
      tk.wake = null;
      clearTimeout(tk.timer);
      wake(1);
    },
    gadget: function(el, type) { tk.post([13100, el.tkWindow.tkId, el.tkId, type]); },
    windowOf: function(node) {
      for (; node; node = node.parentNode) if (node.tkClient) return node;
      return null;
    },
    // Tab and Shift+Tab walk the window's tab stops in the order they were
    // made and stay inside it, the page's own order and the address bar aside.
    walk: function(win, backward) {
      var stops = [];
      for (var el of win.tkClient.children)
        if (el.tkStop && !el.tkBody.disabled && el.offsetParent) stops.push(el.tkBody);
      if (!stops.length) return;
      var at = stops.indexOf(document.activeElement);
      if (at < 0 && win.contains(document.activeElement) && !backward) return;
      var next = backward ? (at <= 0 ? stops.length - 1 : at - 1) : (at + 1) % stops.length;
      stops[next].focus();
    },
    onKey: function(e) {
      if (e.isComposing || e.metaKey) return;
      var win = tk.windowOf(document.activeElement);
      if (!win) for (var i = tk.els.length - 1; i > 0 && !win; --i)
        if (tk.els[i] && tk.els[i].tkClient && tk.els[i].isConnected && !tk.els[i].hidden) win = tk.els[i];
      if (!win) return;
      var word = e.keyCode | (e.shiftKey ? 0x10000 : 0) | (e.ctrlKey ? 0x20000 : 0) | (e.altKey ? 0x40000 : 0);
      var command = win.tkKeys.get(word);
      if (command === undefined) return;
      e.preventDefault();
      e.stopPropagation();
      if (command == 1212 || command == 1213) tk.walk(win, command == 1213);
      else tk.post([13101, win.tkId, command, -1]);
    },
    // Each window is scaled down to the page's width where it is wider: on a
    // phone the whole window shows, and nothing scrolls sideways. Measured
    // when the page lays itself out anyway (a resize observer), never forced.
    sizes: null,
    fit: function() {
      for (var el of tk.els) {
        if (!el || !el.tkClient || !el.isConnected) continue;
        var desk = el.parentNode.parentNode, style = getComputedStyle(desk);
        var room = desk.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
        var width = el.offsetWidth, height = el.offsetHeight;
        var scale = room > 0 && room < width ? room / width : 1;
        el.style.transform = scale < 1 ? 'scale(' + scale + ')' : '';
        el.parentNode.style.width = width * scale + 'px';
        el.parentNode.style.height = height * scale + 'px';
      }
    },
    // A digits-only field takes digits alone: a typed character that is none
    // is refused, and of a paste or a drop only its digits come in.
    digitsOnly: function(e) {
      var text = e.data;
      if (text == null && e.dataTransfer) text = e.dataTransfer.getData('text/plain');
      if (!e.inputType.startsWith('insert') || text == null || !/\D/.test(text)) return;
      e.preventDefault();
      var field = e.target, digits = text.replace(/\D/g, '');
      if (!digits || e.inputType == 'insertText' || e.inputType == 'insertCompositionText') return;
      field.setRangeText(digits, field.selectionStart, field.selectionEnd, 'end');
      tk.gadget(field, 768);
    },
    body: function(id) { var el = tk.els[id]; return el ? el.tkBody : null; },
    // What live gadgets are given to say, the message before the display's new
    // line as the program writes them, goes as one line to one polite live
    // region of the page, hidden, once the program waits again: a screen reader
    // says it after what it is saying, wherever the focus is. Readers take a
    // plain live section's change however soon it follows another, which they
    // do not for a text field or a status line (Orca 48 drops a second change
    // within 0.1 s), and one line per result keeps them from saying it twice.
    spoken: [],
    region: function() {
      if (!tk.live || !tk.live.isConnected) {
        tk.live = document.createElement('div');
        tk.live.className = 'tk-spoken';
        tk.live.setAttribute('aria-live', 'polite');
        document.body.appendChild(tk.live);
      }
      return tk.live;
    },
    say: function(text) {
      text = text.replace(/\s+/g, ' ').trim();
      if (!text) return;
      if (tk.spoken.push(text) == 1) queueMicrotask(function() {
        var line = document.createElement('div');
        line.textContent = tk.spoken.join(' ');
        tk.spoken = [];
        tk.region().replaceChildren(line);
      });
    },
    // A named label speaks its name only while it shows no text.
    name: function(el) {
      if (el.tkName == null) return;
      if (el.tkKind == 3 && el.textContent) el.removeAttribute('aria-label');
      else el.tkBody.setAttribute('aria-label', el.tkName);
    }
  },

  tk_open__deps: ['$tk'],
  tk_open: function(title, width, height, hidden, closeBox) {
    if (!tk.keyed) {
      tk.keyed = true;
      document.addEventListener('keydown', tk.onKey, true);
      tk.sizes = new ResizeObserver(tk.fit);
    }
    var fit = document.createElement('div'), win = document.createElement('section');
    var bar = document.createElement('div'), name = document.createElement('h1');
    var client = document.createElement('div');
    var id = tk.add(win);
    fit.className = 'tk-fit';
    win.className = 'tk-window';
    bar.className = 'tk-title';
    name.id = 'tk-title-' + id;
    name.textContent = tk.read(title);
    win.setAttribute('aria-labelledby', name.id);
    bar.appendChild(name);
    if (closeBox) {
      var close = document.createElement('button');
      close.className = 'tk-close';
      close.type = 'button';
      close.title = 'Close';
      close.setAttribute('aria-label', 'Close');
      close.tabIndex = -1;
      close.addEventListener('click', function() { tk.post([16, id, 0, 0]); });
      bar.appendChild(close);
    }
    client.className = 'tk-client';
    client.style.width = width + 'px';
    client.style.height = height + 'px';
    win.tkClient = client;
    win.tkKeys = new Map();
    win.append(bar, client);
    fit.appendChild(win);
    fit.hidden = win.hidden = !!hidden;
    var desk = document.getElementById('desk') || document.body;
    desk.appendChild(fit);
    tk.sizes.observe(desk);
    tk.sizes.observe(win);
    return id;
  },

  tk_remove__deps: ['$tk'],
  tk_remove: function(id) {
    var el = tk.els[id];
    tk.els[id] = null;
    if (!el) return;
    if (el.tkClient) {
      // What waited for the window goes with it, but for the records handed over with data events,
      // which the program takes back.
      tk.queue = tk.queue.filter(function(entry) { return entry[1] != id || entry[0] == 13105 || entry[0] == 13106; });
      el.parentNode.remove();
    } else {
      el.remove();
    }
  },

  tk_alive__deps: ['$tk'],
  tk_alive: function(id) { var el = tk.els[id]; return el && el.isConnected ? 1 : 0; },

  tk_create__deps: ['$tk'],
  tk_create: function(kind, window, x, y, width, height, text, flags) {
    var win = tk.els[window], el, body;
    text = tk.read(text);
    if (kind == 1) {
      var type = flags & 15;
      if (type == 2 || type == 3 || type == 5 || type == 6 || type == 4 || type == 9) {
        el = document.createElement('label');
        body = document.createElement('input');
        body.type = type == 4 || type == 9 ? 'radio' : 'checkbox';
        el.append(body, document.createElement('span'));
        el.lastChild.textContent = text;
      } else {
        el = body = document.createElement('button');
        body.type = 'button';
        body.textContent = text;
      }
      body.addEventListener('click', function() { tk.gadget(el, 0); });
      el.tkStop = true;
    } else if (kind == 2) {
      el = body = document.createElement('input');
      body.type = flags & 0x20 ? 'password' : 'text';
      body.value = text;
      body.readOnly = !!(flags & 0x800);
      body.maxLength = 32767;
      body.spellcheck = false;
      body.autocomplete = 'off';
      if (flags & 0x20000) body.classList.add('tk-flat');
      if (flags & 0x2000) {
        body.inputMode = 'numeric';
        body.addEventListener('beforeinput', tk.digitsOnly);
      }
      body.addEventListener('input', function() { tk.gadget(el, 768); });
      body.addEventListener('focus', function() { tk.gadget(el, 256); tk.gadget(el, 14000); });
      body.addEventListener('blur', function() { tk.gadget(el, 512); tk.gadget(el, 14001); });
      el.tkStop = true;
    } else if (kind == 7) {
      el = body = document.createElement('fieldset');
      if (flags == 0) el.append(document.createElement('legend'));
      else el.classList.add('tk-border');
      if (el.firstChild) el.firstChild.textContent = text;
      el.hidden = false;
    } else if (kind == 22) {
      el = body = document.createElement('textarea');
      body.wrap = 'off';
      body.spellcheck = false;
      body.readOnly = !!(flags & 0x800);
      el.tkStop = true;
    } else {
      el = body = document.createElement('div');
      body.textContent = text;
      if (flags & 0x20000) el.classList.add('tk-bordered');
    }
    el.classList.add(['', 'tk-button', 'tk-input', 'tk-label', '', '', '', 'tk-frame'][kind] || 'tk-editor');
    if ((flags & 3) && kind != 7 && kind != 22) el.style.textAlign = (flags & 3) == 1 ? 'center' : 'right';
    el.tkKind = kind;
    el.tkBody = body;
    el.tkWindow = win;
    el.style.left = x + 'px';
    el.style.top = y + 'px';
    el.style.width = width + 'px';
    el.style.height = height + 'px';
    win.tkClient.appendChild(el);
    return tk.add(el);
  },

  tk_place__deps: ['$tk'],
  tk_place: function(id, x, y, width, height) {
    var style = tk.els[id].style;
    style.left = x + 'px';
    style.top = y + 'px';
    style.width = width + 'px';
    style.height = height + 'px';
  },

  tk_set_text__deps: ['$tk'],
  tk_set_text: function(id, text) {
    var el = tk.els[id], body = el.tkBody;
    text = tk.read(text);
    if (el.tkLive) {
      // A label says its whole text, again if it is the same; a text that
      // grows at its top (the display's newest line) its new part.
      var was = el.tkKind == 2 || el.tkKind == 22 ? body.value : '';
      tk.say(was && text.endsWith(was) ? text.slice(0, text.length - was.length) : text);
    }
    if (el.tkKind == 2 || el.tkKind == 22) {
      body.value = text;
      if (el.tkKind == 22) {
        // A new text shows from its top.
        body.setSelectionRange(0, 0);
        body.scrollTop = 0;
      }
    } else if (el.tkKind == 7) {
      if (el.firstChild) el.firstChild.textContent = text;
    } else {
      (el.tkKind == 1 && el != body ? el.lastChild : el).textContent = text;
      tk.name(el);
    }
  },

  tk_get_text__deps: ['$tk', 'malloc'],
  tk_get_text: function(id) {
    var el = tk.els[id];
    var text = el.tkKind == 2 || el.tkKind == 22 ? el.tkBody.value
             : el.tkKind == 7 ? (el.firstChild ? el.firstChild.textContent : '')
             : (el.tkKind == 1 && el != el.tkBody ? el.lastChild : el).textContent;
    return tk.write(text);
  },

  tk_set_font__deps: ['$tk'],
  tk_set_font: function(id, families, pixels, flags) {
    var style = tk.els[id].style;
    style.fontFamily = pixels ? tk.read(families) : '';
    style.fontSize = pixels ? pixels + 'px' : '';
    style.fontWeight = pixels ? (flags & 0x100 ? 'bold' : 'normal') : '';
    style.fontStyle = pixels ? (flags & 0x200 ? 'italic' : 'normal') : '';
    style.textDecorationLine = (flags & 4 ? 'underline ' : '') + (flags & 8 ? 'line-through' : '');
  },

  tk_set_colour__deps: ['$tk'],
  tk_set_colour: function(id, which, colour) {
    var value = colour < 0 ? '' : 'rgb(' + (colour & 255) + ',' + ((colour >> 8) & 255) + ',' + ((colour >> 16) & 255) + ')';
    tk.els[id].style[which == 1 ? 'color' : 'backgroundColor'] = value;
  },

  tk_set_property__deps: ['$tk'],
  tk_set_property: function(id, which, value) {
    var el = tk.els[id];
    value = tk.read(value);
    if (which == 1) {
      if (value) el.title = value; else el.removeAttribute('title');
    } else if (which == 2) {
      el.tkName = value;
      tk.name(el);
    } else {
      // A live label is the page's status line, its texts said through the page's live region (tk.say).
      el.tkLive = !!value;
      if (value) tk.region();  // there before anything is said in it
      if (el.tkKind == 3 && value) el.setAttribute('role', 'status');
      if (el.tkKind == 3 && value) el.setAttribute('aria-live', 'off');
      if (el.tkKind == 3 && !value) el.removeAttribute('role');
    }
  },

  tk_get_flag__deps: ['$tk'],
  tk_get_flag: function(id, which) {
    var body = tk.els[id].tkBody;
    return (which == 1 ? body.checked : body.readOnly) ? 1 : 0;
  },

  tk_set_flag__deps: ['$tk'],
  tk_set_flag: function(id, which, value) {
    var body = tk.els[id].tkBody;
    if (which == 1) { if (body.type == 'checkbox' || body.type == 'radio') body.checked = !!value; }
    else body.readOnly = !!value;
  },

  tk_bind__deps: ['$tk'],
  tk_bind: function(window, word, command) { tk.els[window].tkKeys.set(word, command); },

  tk_wait__deps: ['$tk', '$Asyncify'],
  tk_wait__sig: 'ii',
  tk_wait: function(timeout) {
    return Asyncify.handleSleep(function(wakeUp) {
      if (tk.queue.length) return wakeUp(1);
      tk.wake = wakeUp;
      if (timeout >= 0) tk.timer = setTimeout(function() { tk.wake = null; wakeUp(0); }, timeout);
    });
  },

  tk_next__deps: ['$tk'],
  tk_next: function(entry) {
    var next = tk.queue.shift();
    if (!next) return 0;
    HEAP32.set(next, entry >> 2);
    return 1;
  },

  tk_post__deps: ['$tk'],
  tk_post: function(code, window, gadget, type) { tk.post([code, window, gadget, type]); }
};
if (typeof addToLibrary != 'undefined') addToLibrary(TavekToolkit);
else mergeInto(LibraryManager.library, TavekToolkit);
