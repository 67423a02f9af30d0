// Runs at document creation in every frame, in the page's own world, before any
// page script: keeps the page from pulling the window forward, and offers
// window.external. The proxy knows nothing of the bridge; it hands each call
// over as a DOM event on the document, which the bridge relays to the host.
(function() {
'use strict';
const CONFIG = /*QV_CONFIG*/ {};

// window.focus() (and top.focus() from a subframe, which lands on the top
// window's own override) does nothing.
const focus = function focus() {};
try {
    Object.defineProperty(
        window, 'focus',
        {value : focus, writable : false, configurable : false, enumerable : true});
} catch (e) {
    window.focus = focus;
}

// Taken now, before a page script can replace them.
const doc = document;
const dispatch = EventTarget.prototype.dispatchEvent;
const Custom = CustomEvent;
const stringify = JSON.stringify;
const define = Object.defineProperty;
const eventName = CONFIG.externalEvent;

function relay(name, args) {
    const plain = [];
    for (let i = 0; i < args.length; i++) {
        const a = args[i];
        const t = typeof a;
        plain[i] = t === 'string' || t === 'boolean' || t === 'number' ? a : null;
    }
    dispatch.call(doc, new Custom(eventName, {detail : stringify({name : name, args : plain})}));
}

// A member is a function, so it can be called; read as a value (==, if,
// String()) it stands for the property value the host gave.
function member(name, propertyValue, callResult) {
    const fn = function() {
        relay(name, arguments);
        return callResult === null ? undefined : callResult;
    };
    const value = propertyValue === null ? undefined : propertyValue;
    define(fn, 'valueOf', {value : function() { return value; }});
    define(fn, 'toString', {value : function() { return String(value); }});
    return fn;
}

const external = {};
const members = CONFIG.members;
for (let i = 0; i < members.length; i++) {
    const m = members[i];
    define(external, m[0], {value : member(m[0], m[1], m[2]), enumerable : true});
}
Object.freeze(external);
try {
    define(window, 'external',
           {value : external, writable : false, configurable : false, enumerable : true});
} catch (e) {
    // already fixed by an earlier copy of this script
}
})();
