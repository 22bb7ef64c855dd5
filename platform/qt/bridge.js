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

  function release(id) {
    const entry = byId.get(id);
    if (!entry) return;
    if (--entry.count <= 0) {
      byId.delete(id);
      idOf.delete(entry.object);
    }
  }

  function encode(value) {
    switch (typeof value) {
      case 'undefined': return { t: 'e' };
      case 'boolean': return { t: 'b', v: value };
      case 'number': return { t: 'n', v: value };
      case 'string': return { t: 's', v: value };
      case 'bigint': return { t: 's', v: value.toString() };
      case 'symbol': return { t: 'e' };
      default:
        if (value === null) return { t: 'e' };
        return { t: 'o', v: hold(value), d: token };
    }
  }

  function decode(argument) {
    switch (argument.t) {
      case 'b': case 'n': case 's': return argument.v;
      case 'o': {
        const entry = argument.d === token ? byId.get(argument.v) : undefined;
        if (!entry) throw new Error('stale object');
        return entry.object;
      }
      default: return undefined;
    }
  }

  // Collections of the older model whose Chromium counterparts lack a member.
  function framesOf(document) {
    const view = document.defaultView;
    return {
      get length() { return view ? view.frames.length : 0; },
      item(index) { return view ? view.frames[index] : undefined; },
    };
  }

  // Members Chromium lacks, each the least its callers expect. Consulted when
  // the object has no member of that name.
  const supplied = {
    parentwindow(target) {
      if (target instanceof Document) return { found: true, value: target.defaultView };
      return { found: false };
    },
    frames(target) {
      if (target instanceof Document) return { found: true, value: framesOf(target) };
      return { found: false };
    },
  };

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

  function read(target, name, args) {
    const key = findName(target, name);
    if (key === null) {
      const shim = supplied[name.toLowerCase()];
      const result = shim ? shim(target) : { found: false };
      if (!result.found) throw new Error('no member ' + name);
      return result.value;
    }
    const value = target[key];
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
        const entry = byId.get(id);
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
    release(objectToken, ids) {
      if (objectToken !== token) return;
      for (const id of ids) release(id);
    },
  };
})();
