// Runs at document creation in every frame, in the page's own world, before any
// page script: keeps the page from pulling the window forward, offers
// window.external, and hands the page's close requests and javascript: URLs to
// the bridge. It knows nothing of the bridge: everything goes over as a DOM
// event on the document, which the bridge relays to the host.
(function() {
'use strict';
const CONFIG = /*QV_CONFIG*/ {};

// Taken now, before a page script can replace them.
const doc = document;
const dispatch = EventTarget.prototype.dispatchEvent;
const listen = EventTarget.prototype.addEventListener;
const Custom = CustomEvent;
const stringify = JSON.stringify;
const define = Object.defineProperty;
const URLClass = URL;
const isTop = window === window.top;

function tell(request) {
    dispatch.call(doc, new Custom(CONFIG.requestEvent, {detail : stringify(request)}));
}

// window.focus() (and top.focus() from a subframe, which lands on the top
// window's own override) does nothing.
const focus = function focus() {};
try {
    define(window, 'focus',
           {value : focus, writable : false, configurable : false, enumerable : true});
} catch (e) {
    window.focus = focus;
}

// window.close() of the top window always reaches the host, however long the
// history: the engine itself refuses it once the window has been navigated.
// A subframe's own close() does nothing, as in the engine.
define(window, 'close', {
    value : function close() {
        if (isTop) {
            tell({kind : 'close'});
        }
    },
    writable : true,
    configurable : true,
    enumerable : true
});

function isScriptUrl(url) {
    try {
        return new URLClass(String(url), doc.baseURI).protocol === 'javascript:';
    } catch (e) {
        return false;
    }
}

// window.open('javascript:...') is offered to the host like any javascript:
// URL; the bridge opens it once the host lets it through.
const open = window.open;
define(window, 'open', {
    value : function(url) {
        if (arguments.length > 0 && isScriptUrl(url)) {
            const args = [];
            for (let i = 0; i < arguments.length && i < 3; i++) {
                args[i] = arguments[i] === undefined ? '' : String(arguments[i]);
            }
            tell({kind : 'open', args : args});
            return null;
        }
        return open.apply(window, arguments);
    },
    writable : true,
    configurable : true,
    enumerable : true
});

// Every javascript: navigation of this document (a link, a location
// assignment, a form's action, from this frame or another) passes the default
// trusted-types policy, in this world, just before it would run. It is
// stopped there and offered to the host; the bridge runs it again, allowed,
// unless the host cancels. A link cancelled by its own handler never gets here.
const allowed = [];
listen.call(doc, CONFIG.allowEvent, function(ev) {
    if (typeof ev.detail === 'string') {
        allowed.push(ev.detail);
    }
});
const same = function(s) {
    return s;
};
let policy = null;
try {
    policy = window.trustedTypes.createPolicy('default', {
        createHTML : same,
        createScriptURL : same,
        createScript : function(script, type, sink) {
            if (sink !== 'Location href') {
                return script;
            }
            // The engine hands over the URL's script decoded once.
            const url = 'javascript:' + String(script).replace(/%/g, '%25');
            const i = allowed.indexOf(url);
            if (i >= 0) {
                allowed.splice(i, 1);
                return script;
            }
            tell({kind : 'navigate', url : url});
            return null;
        },
    });
} catch (e) {
    policy = null; // the page's own policy forbids ours; its links run unseen
}
// The policy only applies where trusted types are required. A policy from a
// meta element counts from its insertion on, in the head, and stays when the
// element goes; the head exists before the first page script runs, and
// mutation callbacks run before that script too.
function requireTrustedTypes() {
    const head = doc.head;
    if (!head) {
        return false;
    }
    const meta = doc.createElement('meta');
    meta.httpEquiv = 'Content-Security-Policy';
    meta.content = "require-trusted-types-for 'script'";
    head.appendChild(meta);
    meta.remove();
    return true;
}
if (policy && !requireTrustedTypes()) {
    const watch = new MutationObserver(function() {
        if (requireTrustedTypes()) {
            watch.disconnect();
        }
    });
    watch.observe(doc, {childList : true, subtree : true});
    listen.call(doc, 'DOMContentLoaded', function() { watch.disconnect(); }, {once : true});
}

// A member is a function, so it can be called; read as a value (==, if,
// String()) it stands for the property value the host gave. Texts passed
// along are cut to the bridge's cap.
function member(name, propertyValue, callResult) {
    const fn = function() {
        const plain = [];
        for (let i = 0; i < arguments.length; i++) {
            const a = arguments[i];
            const t = typeof a;
            if (t === 'string') {
                plain[i] = a.slice(0, CONFIG.maxArgumentChars);
            } else {
                plain[i] = t === 'boolean' || t === 'number' ? a : null;
            }
        }
        tell({kind : 'external', name : name, args : plain});
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
