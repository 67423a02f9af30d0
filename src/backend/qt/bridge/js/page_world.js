// Runs at document creation in every frame, in the page's own world, before any
// page script: keeps the page from pulling the window forward, offers
// window.external, and hands the page's close requests and javascript: URLs to
// the bridge. In the top frame the bridge lives in a world of its own, reached
// by DOM events; this part also carries the host's commands to the subframes.
// In a subframe this part is the frame's bridge, which reports to the top's.
(function() {
'use strict';
const CONFIG = /*QV_CONFIG*/ {};

/*QV_FRAME*/

// Taken now, before a page script can replace them.
const doc = document;
const apply = Reflect.apply;
const dispatch = EventTarget.prototype.dispatchEvent;
const listen = EventTarget.prototype.addEventListener;
const stopNow = Event.prototype.stopImmediatePropagation;
const cancelEvent = Event.prototype.preventDefault;
const detailOf = Object.getOwnPropertyDescriptor(CustomEvent.prototype, 'detail').get;
const Custom = CustomEvent;
const stringify = JSON.stringify;
const parse = JSON.parse;
const define = Object.defineProperty;
const URLClass = URL;
const MapClass = Map;
const isArray = Array.isArray;
const describeOwn = Object.getOwnPropertyDescriptor;
const random = Math.random;
const Str = String;
const split = String.prototype.split, join = Array.prototype.join;
const mapGet = Map.prototype.get, mapSet = Map.prototype.set, mapDelete = Map.prototype.delete;
const isTop = window === window.top;

// The options have no prototype: nothing a page put on Object.prototype is read.
function makeEvent(type, detail) { return new Custom(type, {__proto__ : null, detail : detail}); }

// The top frame's bridge listens on the document; a subframe's bridge is set
// up below.
let tell = function(request) {
    apply(dispatch, doc, [ makeEvent(CONFIG.requestEvent, stringify(request)) ]);
};

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
// URLs let through, each as many times as it was allowed.
const allowed = {
    __proto__ : null
};
function allow(url) { allowed[url] = (allowed[url] || 0) + 1; }
apply(listen, doc, [
    CONFIG.allowEvent,
    function(ev) {
        const url = apply(detailOf, ev, []);
        if (typeof url === 'string') {
            allow(url);
        }
    }
]);
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
            const url = 'javascript:' + apply(join, apply(split, Str(script), [ '%' ]), [ '%25' ]);
            if (allowed[url]) {
                allowed[url] -= 1;
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
    apply(listen, doc, [ 'DOMContentLoaded', function() { watch.disconnect(); }, {once : true} ]);
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

// The top frame: subframes' bridges register here, and the host's commands for
// them arrive here from the top's bridge. The first listeners of the top
// window, so no page listener sees either (nor the secret they carry).
function relay() {
    const kit = qvKit();
    const runs = new MapClass();    // frame id -> its command entry
    const windows = new MapClass(); // a subframe's window -> its frame id
    apply(listen, window, [
        CONFIG.registerEvent,
        function(ev) {
            apply(stopNow, ev, []);
            const r = apply(detailOf, ev, []);
            if (!r || typeof r !== 'object' || r.token !== CONFIG.token) {
                return;
            }
            if (r.run) {
                apply(mapSet, runs, [ r.frame, r.run ]);
                apply(mapSet, windows, [ r.win, r.frame ]);
                r.parentIsTop = r.parent === window;
                r.parentId = apply(mapGet, windows, [ r.parent ]) || 0;
                r.kit = kit;
                r.ok = true;
            } else {
                apply(mapDelete, runs, [ r.frame ]);
                if (apply(mapGet, windows, [ r.win ]) === r.frame) {
                    apply(mapDelete, windows, [ r.win ]);
                }
            }
        },
        true
    ]);
    apply(listen, window, [
        CONFIG.commandEvent,
        function(ev) {
            apply(stopNow, ev, []);
            const detail = apply(detailOf, ev, []);
            let message = null;
            try {
                message = typeof detail === 'string' ? parse(detail) : null;
            } catch (e) {
                return;
            }
            if (!message || message.t !== CONFIG.token || !message.c) {
                return;
            }
            const run = apply(mapGet, runs, [ message.c.frame ]);
            let done = false;
            try {
                done = run ? run(message.c) === true : false;
            } catch (e) {
                done = false;
            }
            if (done) {
                apply(cancelEvent, ev, []);
            }
        },
        true
    ]);
}

// A subframe: its bridge, which reports to the top's over events on the top
// window. A frame whose top is of another origin cannot reach it and is not
// bridged.
function subframe() {
    const top = window.top;
    const windowName = describeOwn(window, 'name').get;
    const token = stringify(CONFIG.token);
    let frame = null;
    const registration = {
        __proto__ : null,
        token : CONFIG.token,
        frame : qvFrameId(random),
        run : function(cmd) { return frame ? command(cmd) : false; },
        win : window,
        parent : window.parent,
        parentIsTop : false,
        parentId : 0,
        kit : null,
        ok : false,
    };
    function send(method, args, lazy) {
        // The secret and the frame id never pass through anything a page can
        // replace; what it could alter is this frame's own report.
        let json;
        try {
            json = stringify(args);
        } catch (e) {
            return;
        }
        // JSON text has no raw line breaks: the first ends the envelope.
        const message = '{"t":' + token + ',"f":' + registration.frame + ',"m":"' + method +
                        '","l":' + (lazy === true ? 1 : 0) + '}\n' + json;
        apply(dispatch, top, [ makeEvent(CONFIG.reportEvent, message) ]);
    }
    function command(cmd) {
        switch (cmd.op) {
        case 'allow':
            if (!frame.alive() || typeof cmd.url !== 'string') {
                return false;
            }
            allow(cmd.url);
            location.href = cmd.url;
            return true;
        case 'open':
            if (!frame.alive() || !isArray(cmd.args)) {
                return false;
            }
            apply(open, window, cmd.args);
            return true;
        }
        return frame.run(cmd);
    }
    const env = {
        __proto__ : null,
        frameId : registration.frame,
        isTop : false,
        parentId : 0,
        send : send,
        onGone : function() {
            const farewell = {
                __proto__ : null,
                token : CONFIG.token,
                frame : registration.frame,
                run : null,
                win : window
            };
            try {
                apply(dispatch, top, [ makeEvent(CONFIG.registerEvent, farewell) ]);
            } catch (e) {
                // the top has gone already
            }
        },
    };
    try {
        apply(dispatch, top, [ makeEvent(CONFIG.registerEvent, registration) ]);
    } catch (e) {
        return; // another origin
    }
    if (registration.ok !== true) {
        return; // the top is not bridged
    }
    env.parentId = registration.parentIsTop ? 0 : registration.parentId;
    frame = qvOpenFrame(CONFIG, env, registration.kit, windowName);
    frame.start();
    tell = function(request) {
        switch (request.kind) {
        case 'external':
            send('external', [ request.name, request.args ]);
            break;
        case 'navigate':
            send('navigate', [ request.url ]);
            break;
        case 'open':
            send('open', [ request.args ]);
            break;
        }
    };
    send('frameOpened', [ env.parentId, registration.parentIsTop ]);
}

if (isTop) {
    relay();
} else {
    subframe();
}
})();
