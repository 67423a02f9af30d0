// The page bridge. Runs at document creation in every frame, in an isolated
// world of its own: page scripts share the DOM with it but none of its
// variables. Only the top frame talks to the host (the web channel and its
// client exist there alone); subframes reach the host through the top frame's
// bridge object, which is visible from their isolated world but not from any
// page script.
(function() {
'use strict';
const CONFIG = /*QV_CONFIG*/ {};
const NAME = CONFIG.bridgeName;
if (Object.prototype.hasOwnProperty.call(window, NAME)) {
    return;
}
const isTop = window === window.top;

// The page-world part makes the document require trusted types; the bridge's
// own writes (script texts) pass unchanged.
try {
    const same = function(s) { return s; };
    trustedTypes.createPolicy('default',
                              {createHTML : same, createScript : same, createScriptURL : same});
} catch (e) {
    // no trusted types here: nothing is required either
}

// --- the top frame's hub: channel, queue, frame registry, commands -------
function makeHub() {
    let host = null;
    const queue = [];
    const frames = new Map();

    function deliver(item) {
        const fn = host[item.method];
        if (item.callback) {
            fn.apply(host, item.args.concat([ item.callback ]));
        } else {
            fn.apply(host, item.args);
        }
    }

    // The transport is there at document creation; should an engine add it a
    // little later, wait for it briefly rather than forever.
    function connect(triesLeft) {
        if (typeof qt === 'undefined' || !qt.webChannelTransport ||
            typeof QWebChannel === 'undefined') {
            if (triesLeft > 0) {
                setTimeout(connect, 10, triesLeft - 1);
            }
            return;
        }
        new QWebChannel(qt.webChannelTransport, function(channel) {
            host = channel.objects[CONFIG.hostName];
            while (queue.length) {
                deliver(queue.shift());
            }
        });
    }
    connect(100);

    return {
        // Keeps the order of every frame's reports: all go through here.
        call(method, args, callback) {
            const item = {method : method, args : args, callback : callback};
            if (host && queue.length === 0) {
                deliver(item);
            } else {
                queue.push(item);
            }
        },
        register(id, frameBridge) { frames.set(id, frameBridge); },
        unregister(id) { frames.delete(id); },
        // Entry point of the host's commands; false when the address is stale.
        exec(cmd) {
            const target = frames.get(cmd.frame);
            if (!target) {
                return false;
            }
            try {
                return target.run(cmd);
            } catch (e) {
                return false;
            }
        },
    };
}

let hub = null;
if (isTop) {
    hub = makeHub();
} else {
    try {
        const topBridge = window.top[NAME];
        hub = topBridge ? topBridge.hub : null;
    } catch (e) {
        hub = null; // a frame of another origin cannot reach the top's bridge
    }
}
if (!hub) {
    return;
}

// --- this frame's document -------------------------------------------------
function newId() {
    const words = new Uint32Array(2);
    crypto.getRandomValues(words);
    // 53 bits, never 0, exact as a double and as a 64-bit integer
    return (words[0] & 0x1fffff) * 4294967296 + words[1] + 1;
}

const doc = document;
const frameId = newId();
let parentId = 0;
if (!isTop) {
    try {
        const parentBridge = window.parent[NAME];
        parentId = parentBridge ? parentBridge.frameId : 0;
    } catch (e) {
        parentId = 0;
    }
}

const kept = new Map(); // snapshot sequence -> elements as listed
let sequence = 0;
let gone = false;

function cut(text, limit) {
    if (typeof text !== 'string') {
        return [ '', false ];
    }
    if (text.length <= limit) {
        return [ text, false ];
    }
    let end = limit;
    const last = text.charCodeAt(end - 1);
    if (last >= 0xd800 && last <= 0xdbff) {
        end -= 1; // never split a surrogate pair
    }
    return [ text.slice(0, end), true ];
}

// Kinds as the host numbers them (ElementKind).
const OTHER = 0, INPUT_TEXT = 1, INPUT_BUTTON = 2, ANCHOR = 3, SELECT = 4, SCRIPT = 5;
const TEXT_TYPES = new Set([ 'text', 'password', 'hidden' ]);
const BUTTON_TYPES = new Set([ 'submit', 'button', 'reset' ]);

// An element goes out as 0 (nothing the host reads) or as
// [kind, name, type, href, value, optionCount, text, truncated].
function describe(el, budget) {
    let kind = OTHER, name = '', type = '', href = '', value = '', count = 0, text = '';
    let truncated = false;
    const A = CONFIG.maxAttributeChars;
    function take(v, limit) {
        const r = cut(v, limit);
        truncated = truncated || r[1];
        return r[0];
    }
    if (el instanceof HTMLInputElement) {
        type = take(el.type, A);
        kind = TEXT_TYPES.has(type) ? INPUT_TEXT : BUTTON_TYPES.has(type) ? INPUT_BUTTON : OTHER;
        name = take(el.name, A);
        value = take(el.value, A);
    } else if (el instanceof HTMLAnchorElement) {
        kind = ANCHOR;
        name = take(el.name, A);
        href = take(el.href, A);
    } else if (el instanceof HTMLSelectElement) {
        kind = SELECT;
        name = take(el.name, A);
        value = take(el.value, A);
        count = el.length;
    } else if (el instanceof HTMLScriptElement) {
        kind = SCRIPT;
        const limit = Math.min(CONFIG.maxScriptChars, budget.scriptChars);
        text = take(el.text, limit);
        budget.scriptChars -= text.length;
    } else if (el instanceof HTMLTextAreaElement) {
        name = take(el.name, A);
        value = take(el.value, A);
    } else {
        return 0;
    }
    return [ kind, name, type, href, value, count, text, truncated ];
}

function snapshot(type) {
    const started = performance.now();
    const all = doc.getElementsByTagName('*');
    const total = all.length;
    const count = Math.min(total, CONFIG.maxElements);
    const refs = new Array(count);
    const elements = new Array(count);
    const budget = {scriptChars : CONFIG.maxTotalScriptChars};
    for (let i = 0; i < count; i++) {
        const el = all[i];
        refs[i] = el;
        elements[i] = describe(el, budget);
    }
    sequence += 1;
    kept.set(sequence, refs);
    kept.delete(sequence - CONFIG.keptSnapshots);
    return {
        type : type,
        frame : frameId,
        parent : parentId,
        top : isTop,
        seq : sequence,
        name : cut(window.name, CONFIG.maxAttributeChars)[0],
        title : cut(doc.title, CONFIG.maxAttributeChars)[0],
        href : location.href,
        host : location.host,
        protocol : location.protocol,
        truncated : total > count,
        elements : elements,
        ms : performance.now() - started,
    };
}

function alive() { return doc.defaultView !== null && !gone; }

function run(cmd) {
    if (!alive()) {
        return false;
    }
    if (cmd.op === 'reload') {
        location.reload();
        return true;
    }
    const refs = kept.get(cmd.seq);
    const el = refs ? refs[cmd.index] : undefined;
    if (!el || !el.isConnected || el.ownerDocument !== doc) {
        return false;
    }
    switch (cmd.op) {
    case 'value':
        if (!('value' in el)) {
            return false;
        }
        el.value = cmd.text;
        return true;
    case 'click':
        el.click();
        return true;
    case 'scriptText':
        if (!(el instanceof HTMLScriptElement)) {
            return false;
        }
        el.text = cmd.text;
        return true;
    }
    return false;
}

const self = {
    frameId : frameId,
    hub : hub,
    run : run
};
Object.defineProperty(window, NAME, {value : self});
hub.register(frameId, self);
hub.call('frameOpened', [ frameId, parentId, isTop ]);

doc.addEventListener('DOMContentLoaded', function() {
    hub.call('frameEvent', [ snapshot('navigateComplete') ]);
    // Added now, so the page's own load handlers of parse time run first.
    window.addEventListener(
        'load', function() { hub.call('frameEvent', [ snapshot('documentComplete') ]); },
        {once : true});
}, {once : true});

window.addEventListener('pagehide', function() {
    if (gone) {
        return;
    }
    gone = true;
    kept.clear();
    hub.unregister(frameId);
    hub.call('frameGone', [ frameId ]);
});

// What the page-world part hands over: calls of window.external, the top
// window's close requests, and javascript: URLs about to run, which go ahead
// only once the host has not cancelled them.
doc.addEventListener(CONFIG.requestEvent, function(ev) {
    const detail = ev.detail;
    if (typeof detail !== 'string') {
        return;
    }
    let request;
    try {
        request = JSON.parse(detail);
    } catch (e) {
        return;
    }
    if (!request) {
        return;
    }
    switch (request.kind) {
    case 'external':
        if (typeof request.name === 'string' && Array.isArray(request.args)) {
            hub.call('externalCall', [ frameId, request.name, request.args ]);
        }
        break;
    case 'close':
        if (isTop) {
            hub.call('closeRequested', [ frameId ]);
        }
        break;
    case 'navigate':
        if (typeof request.url === 'string') {
            const url = request.url;
            hub.call('beforeNavigate', [ frameId, url ], function(cancel) {
                if (!cancel && alive()) {
                    doc.dispatchEvent(new CustomEvent(CONFIG.allowEvent, {detail : url}));
                    location.href = url;
                }
            });
        }
        break;
    case 'open':
        if (Array.isArray(request.args) && typeof request.args[0] === 'string') {
            const args = request.args;
            hub.call('beforeNavigate', [ frameId, args[0] ], function(cancel) {
                if (!cancel && alive()) {
                    window.open.apply(window, args);
                }
            });
        }
        break;
    }
});
})();
