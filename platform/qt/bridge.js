// The page side of late binding. Runs in an isolated script world of the
// document, so page scripts can neither see nor break it. C++ refers to page
// objects by number; each number is counted and freed when C++ releases it.
(function () {
  'use strict';
  if (globalThis.__pageBridge) return;

  // Tells the objects of this document from those of one that was navigated away.
  const token = Date.now().toString(36) + '-' + Math.random().toString(36).slice(2);
  const byId = new Map();      // id -> { object, count }
  const idOf = new Map();      // object -> id
  let nextId = 1;
  // Numbers C++ chose for objects it took ahead -> the objects' own numbers.
  const aheadOf = new Map();

  function hold(object) {
    let id = idOf.get(object);
    if (id === undefined) {
      id = nextId++;
      idOf.set(object, id);
      byId.set(id, { object: object, count: 0 });
    }
    byId.get(id).count++;
    return id;
  }

  function entryOf(id) {
    const own = aheadOf.get(id);
    return byId.get(own === undefined ? id : own);
  }

  function release(id) {
    const own = aheadOf.get(id);
    if (own !== undefined) {
      aheadOf.delete(id);
      id = own;
    }
    const entry = byId.get(id);
    if (!entry) return;
    if (--entry.count <= 0) {
      byId.delete(id);
      idOf.delete(entry.object);
    }
  }

  function encode(value) {
    if (value === undefined || value === null) return { t: 'e' };
    switch (typeof value) {
      case 'boolean': return { t: 'b', v: value };
      case 'number': return { t: 'n', v: value };
      case 'string': return { t: 's', v: value };
      case 'bigint': return { t: 's', v: value.toString() };
      case 'symbol': return { t: 'e' };
      default:  // objects, functions, and document.all, whose typeof is 'undefined'
        return { t: 'o', v: hold(value), d: token };
    }
  }

  function decode(argument) {
    switch (argument.t) {
      case 'b': case 'n': case 's': return argument.v;
      case 'o': {
        const entry = argument.d === token ? entryOf(argument.v) : undefined;
        if (!entry) throw new Error('stale object');
        return entry.object;
      }
      default: return undefined;
    }
  }

  // A collection in the shape of the older model: length, item(i), tags(name).
  function collectionOf(list, tagsOf) {
    return {
      get length() { return list().length; },
      item(index) { return index === undefined ? list()[0] : list()[index]; },
      tags(name) { return tagsOf(String(name)); },
    };
  }

  // Bare six-digit colours, as the older model took them, get their "#".
  function withColourMarks(text) {
    return text.replace(/(^|[\s,(])([0-9a-fA-F]{6})(?=$|[\s,)])/g, '$1#$2');
  }

  function runInPageWorld(view, code) {
    // A script element runs in the page's own world, so what it defines is what
    // the page's scripts call.
    const doc = view.document;
    const script = doc.createElement('script');
    script.textContent = String(code);
    (doc.head || doc.documentElement).appendChild(script);
    script.remove();
  }

  function textRangeOf(view) {
    const selection = view.getSelection();
    if (!selection || selection.rangeCount === 0) return null;
    const range = selection.getRangeAt(0);
    return {
      get htmlText() {
        const holder = view.document.createElement('div');
        holder.appendChild(range.cloneContents());
        return holder.innerHTML;
      },
      get text() { return selection.toString(); },
      pasteHTML(html) {
        range.deleteContents();
        range.insertNode(range.createContextualFragment(String(html)));
      },
    };
  }

  // A pop-up drawn as a box above the page.
  function popupOf(view) {
    const doc = view.document;
    const box = doc.createElement('div');
    box.style.cssText = 'position:fixed;display:none;z-index:2147483647;overflow:hidden;' +
                        'box-sizing:border-box;margin:0;';
    doc.documentElement.appendChild(box);
    return {
      document: { body: box },
      show(x, y, width, height, anchor) {
        let left = Number(x) || 0;
        let top = Number(y) || 0;
        if (anchor && anchor.getBoundingClientRect) {
          const place = anchor.getBoundingClientRect();
          left += place.left;
          top += place.top;
        }
        box.style.left = left + 'px';
        box.style.top = top + 'px';
        box.style.width = (Number(width) || 0) + 'px';
        box.style.height = (Number(height) || 0) + 'px';
        box.style.display = 'block';
      },
      hide() { box.style.display = 'none'; },
      get isOpen() { return box.style.display !== 'none'; },
    };
  }

  // Frames have script worlds of their own, so their objects fail instanceof
  // against ours: kinds are told by shape instead.
  const isDocument = (o) => o.nodeType === 9;
  const isElement = (o) => o.nodeType === 1;
  const isWindow = (o) => o.window === o;
  const isStyle = (o) => typeof o.getPropertyValue === 'function' && 'cssText' in o;
  const indexable = new Set(['[object HTMLCollection]', '[object NodeList]',
                             '[object HTMLFormControlsCollection]',
                             '[object HTMLOptionsCollection]', '[object HTMLAllCollection]']);
  const isAllCollection = (o) => Object.prototype.toString.call(o) === '[object HTMLAllCollection]';

  // Members of the older model that Chromium lacks, each the least its callers
  // expect. They come before the object's own members, since a page element
  // named like one (window.id, document.frames) must not stand in for it.
  function supplied(target, name) {
    const found = (value) => ({ found: true, value: value });
    if (isDocument(target)) {
      switch (name) {
        case 'parentwindow': return found(target.defaultView);
        case 'frames': {
          const view = target.defaultView;
          return found(collectionOf(() => (view ? view.frames : []), () => []));
        }
        case 'selection': {
          const view = target.defaultView;
          return found({ createRange() { return view ? textRangeOf(view) : null; } });
        }
      }
    } else if (isWindow(target)) {
      switch (name) {
        case 'id': return found(target.frameElement ? target.frameElement.id : '');
        case 'execscript':
          return found(function (code, language) {
            const kind = language === undefined ? 'jscript' : String(language).toLowerCase();
            if (kind !== 'jscript' && kind !== 'javascript') throw new Error('no engine for ' + kind);
            runInPageWorld(target, code);
          });
        case 'navigate':
          return found(function (address) { target.location.href = String(address); });
        case 'createpopup': return found(function () { return popupOf(target); });
      }
    } else if (isElement(target)) {
      switch (name) {
        case 'all':
          return found(collectionOf(() => target.getElementsByTagName('*'),
                                    (tag) => target.getElementsByTagName(tag)));
        case 'fireevent':
          return found(function (eventName) {
            const type = String(eventName).replace(/^on/i, '').toLowerCase();
            const event = /^(click|dblclick|mouse|contextmenu)/.test(type)
                ? new MouseEvent(type, { bubbles: true, cancelable: true, view: window })
                : new Event(type, { bubbles: true, cancelable: true });
            target.dispatchEvent(event);
            return true;
          });
      }
    } else if (isAllCollection(target)) {
      if (name === 'tags') {
        return found(function (tag) {
          return target.length ? target[0].ownerDocument.getElementsByTagName(String(tag)) : null;
        });
      }
    }
    return { found: false };
  }

  // Names bind without regard to letter case: an exact match first, then the
  // first member along the prototype chain whose name folds to the same.
  const foldedNames = new WeakMap();  // prototype -> Map(folded -> name)
  function findName(target, name) {
    if (name in target) return name;
    const folded = name.toLowerCase();
    for (let level = target; level; level = Object.getPrototypeOf(level)) {
      let names = foldedNames.get(level);
      if (!names) {
        names = new Map();
        for (const own of Object.getOwnPropertyNames(level)) {
          const key = own.toLowerCase();
          if (!names.has(key)) names.set(key, own);
        }
        if (level !== target) foldedNames.set(level, names);
      }
      const match = names.get(folded);
      if (match !== undefined) return match;
    }
    return null;
  }

  function member(target, name) {
    const shim = supplied(target, name.toLowerCase());
    if (shim.found) return { holder: target, value: shim.value };
    const key = findName(target, name);
    if (key === null) throw new Error('no member ' + name);
    return { holder: target, value: target[key], key: key };
  }

  function read(target, name, args) {
    const { value, key } = member(target, name);
    if (typeof value === 'function') {
      // `item` with no argument gives the first element, as the older model did.
      if (args.length === 0 && key === 'item' && 'length' in target) return target[0];
      return value.apply(target, args);
    }
    if (args.length === 0) return value;
    if (value !== null && typeof value === 'object') {
      const item = findName(value, 'item');
      if (item !== null && typeof value[item] === 'function') return value[item].apply(value, args);
      return value[args[0]];
    }
    throw new Error('not indexable');
  }

  function write(target, name, value) {
    const key = findName(target, name);
    if (typeof value === 'string' && isStyle(target)) {
      value = withColourMarks(value);
    }
    target[key === null ? name : key] = value;
  }

  globalThis.__pageBridge = {
    document() {
      return encode(document);
    },
    // kind: 'g' read (property, else method), 'p' write, 'c' call (method, else property).
    invoke(objectToken, id, name, kind, encodedArgs) {
      try {
        if (objectToken !== token) return { ok: false };
        const entry = entryOf(id);
        if (!entry) return { ok: false };
        const args = encodedArgs.map(decode);
        if (kind === 'p') {
          write(entry.object, name, args[0]);
          return { ok: true, value: { t: 'e' } };
        }
        return { ok: true, value: encode(read(entry.object, name, args)) };
      } catch (error) {
        return { ok: false };
      }
    },
    // invoke, its object filed under the number C++ chose; nothing is
    // answered. Anything but an object files nothing, so every later use of
    // the number fails.
    invokeAhead(objectToken, id, name, kind, encodedArgs, aheadId) {
      const answer = this.invoke(objectToken, id, name, kind, encodedArgs);
      if (answer.ok && answer.value.t === 'o') aheadOf.set(aheadId, answer.value.v);
    },
    // The named members of every item of a collection, as texts, in one call:
    // a walk then costs one trip into the page instead of two or three an item.
    // With candidates (texts in lower case), an item is a candidate when its
    // first member, its A-Z folded, is one of them; of the others only their
    // number is sent, since the walk passes them over unseen. Reads from the
    // start-th item for at most budgetMs, so the call answers within its bound
    // on any page; the caller asks again from where it stopped.
    readEach(objectToken, id, names, candidates, start, budgetMs) {
      try {
        if (objectToken !== token) return { ok: false };
        const entry = entryOf(id);
        if (!entry) return { ok: false };
        const items = entry.object;
        const length = Math.trunc(Number(read(items, 'length', [])));
        const total = Number.isFinite(length) ? Math.max(0, Math.min(length, 0x7fffffff)) : 0;
        // Live collections of elements answer indexing directly, far faster
        // than item() through the binding.
        const itemAt = indexable.has(Object.prototype.toString.call(items)) ? (i) => items[i]
                     : typeof items.item === 'function' ? (i) => items.item(i)
                     : (i) => read(items, 'item', [i]);
        const wanted = candidates === null ? null : new Set(candidates);
        const columns = names.length;
        function textOf(item, element, name) {
          if (item === null || item === undefined) return '';
          try {
            // Elements answer their own members directly; anything else goes
            // through the binding that supplies what Chromium lacks.
            const value = element && name in item ? item[name] : read(item, name, []);
            if (value !== null && value !== undefined && typeof value !== 'object' &&
                typeof value !== 'function') {
              return String(value);
            }
          } catch (error) {
            // a member that cannot be read counts as empty
          }
          return '';
        }
        // Each text once, cells by its place: a walk's members repeat a lot
        // (the type of every input), and few texts cross into C++ far faster
        // than many.
        const texts = [''];
        const placeOf = new Map([['', 0]]);
        function placeOfText(text) {
          let place = placeOf.get(text);
          if (place === undefined) {
            place = texts.length;
            texts.push(text);
            placeOf.set(text, place);
          }
          return place;
        }
        function isCandidate(text) {
          if (wanted.has(text)) return true;
          // Only A-Z fold, as in C++. Most texts have no capital letter at
          // all, which the engine's own lower-casing tells far faster.
          return text.toLowerCase() !== text &&
                 wanted.has(text.replace(/[A-Z]+/g, (capitals) => capitals.toLowerCase()));
        }
        // Cells go as one text, each the place and a comma, and each run of
        // items passed over as its length negated: C++ takes that apart far
        // faster than an array of numbers, and a long page's answer stays short.
        let cells = '';
        let passedOver = 0;
        const began = performance.now();
        let k = Math.max(0, Math.trunc(Number(start)) || 0);
        const first = k;
        for (; k < total; k++) {
          if (((k - first) & 15) === 15 && performance.now() - began >= budgetMs) break;
          let item = null;
          try { item = itemAt(k); } catch (error) { item = null; }
          const element = item !== null && item !== undefined && item.nodeType === 1;
          let c = 0;
          if (wanted !== null && columns > 0) {
            const text = textOf(item, element, names[0]);
            if (!isCandidate(text)) {
              passedOver++;
              continue;
            }
            if (passedOver > 0) {
              cells += -passedOver + ',';
              passedOver = 0;
            }
            cells += placeOfText(text) + ',';
            c = 1;
          }
          for (; c < columns; c++) cells += placeOfText(textOf(item, element, names[c])) + ',';
        }
        if (passedOver > 0) cells += -passedOver + ',';
        return { ok: true, rows: JSON.stringify([k - first, columns, texts, cells, k >= total]) };
      } catch (error) {
        return { ok: false };
      }
    },
    release(objectToken, ids) {
      if (objectToken !== token) return;
      for (const id of ids) release(id);
    },
    // How many numbers C++ holds now; a test sees from it that all were let go.
    held() {
      return byId.size + aheadOf.size;
    },
  };
})();
