// The page bridge's hub. Runs at document creation in the top frame only, in
// an isolated world of its own: page scripts share the DOM with it but none of
// its variables. It alone talks to the host (the web channel and its client
// exist there alone). Subframes run their part in the page's world (a world of
// our own in every subframe document would cost the engine a script context
// each time the console's poll frame reloads): they hand their reports over as
// events on the top window, carrying a secret the host gave both sides, which
// this world's first listener takes and stops; the top's page-world part
// carries the host's commands back to them the same way.
(function() {
'use strict';
const CONFIG = /*QV_CONFIG*/ {};
const NAME = CONFIG.bridgeName;
if (window !== window.top || Object.prototype.hasOwnProperty.call(window, NAME)) {
    return;
}

/*QV_FRAME*/

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
    const frames = new Map();   // this document's own part, by frame id
    const children = new Map(); // subframe id -> its parent's id

    // Reports go out together, one channel message for all that came in one
    // task; a call that wants an answer goes on its own, after those before it.
    // A frame's opening and going, and a subframe's navigate-complete, need no
    // hurry: they wait a little for the next report (a reloaded poll frame's
    // document-complete follows at once), so its reload costs the host one
    // message.
    let drainPosted = false;
    let lazyTimer = 0;
    function drain() {
        drainPosted = false;
        if (lazyTimer) {
            clearTimeout(lazyTimer);
            lazyTimer = 0;
        }
        if (!host) {
            return;
        }
        let batch = [];
        while (queue.length) {
            const item = queue.shift();
            if (!item.callback) {
                batch.push([ item.method ].concat(item.args));
                continue;
            }
            if (batch.length) {
                host.batch = batch;
                batch = [];
            }
            host[item.method].apply(host, item.args.concat([ item.callback ]));
        }
        if (batch.length) {
            host.batch = batch;
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
            drain();
        });
    }
    connect(100);

    return {
        // Keeps the order of every frame's reports: all go through here.
        call(method, args, callback, lazy) {
            queue.push({method : method, args : args, callback : callback});
            if (!host || drainPosted) {
                return;
            }
            if (!lazy && method !== 'frameOpened' && method !== 'frameGone') {
                drainPosted = true;
                setTimeout(drain, 0);
            } else if (!lazyTimer) {
                lazyTimer = setTimeout(drain, CONFIG.lazyReportMs);
            }
        },
        // Now, while the document goes: it runs no timers any more.
        drain : drain,
        register(id, frameBridge) { frames.set(id, frameBridge); },
        unregister(id) { frames.delete(id); },
        children : children,
        // Entry point of the host's commands; false when the address is stale.
        // A subframe's command runs synchronously in its document, handed over
        // by the top's page-world part, which says whether it ran.
        exec(cmd) {
            const target = frames.get(cmd.frame);
            if (target) {
                try {
                    return target.run(cmd);
                } catch (e) {
                    return false;
                }
            }
            if (!children.has(cmd.frame)) {
                return false;
            }
            const detail = JSON.stringify({t : CONFIG.token, c : cmd});
            return !window.dispatchEvent(
                new CustomEvent(CONFIG.commandEvent, {detail : detail, cancelable : true}));
        },
    };
}

const hub = makeHub();
const frameId = qvFrameId(Math.random);
const frame = qvOpenFrame(CONFIG, {
    frameId : frameId,
    isTop : true,
    parentId : 0,
    send(method, args) {
        hub.call(method, args);
        if (method === 'frameGone') {
            hub.drain();
        }
    },
    onGone(id) { hub.unregister(id); },
},
                          qvKit(), Object.getOwnPropertyDescriptor(window, 'name').get);
const doc = document;
const alive = frame.alive;

Object.defineProperty(window, NAME, {value : {frameId : frameId, hub : hub}});
hub.register(frameId, frame);
hub.call('frameOpened', [ frameId, 0, true ]);
frame.start();

// The value of a JSON text, or null when it is none.
function parsed(text) {
    try {
        return JSON.parse(text);
    } catch (e) {
        return null;
    }
}

// A subframe's report; `body` is the JSON text of its arguments. A snapshot
// goes on to the host as it came, unread here.
function fromSubframe(id, method, body, lazy) {
    const children = hub.children;
    if (method === 'frameEvent') {
        if (children.has(id)) {
            // The host takes who it is from here, not from what the page built.
            hub.call('subframeEvent', [ id, children.get(id), body ], null, lazy);
        }
        return;
    }
    const args = parsed(body);
    if (!Array.isArray(args)) {
        return;
    }
    if (method === 'frameOpened') {
        if (children.has(id) || id === frameId) {
            return;
        }
        const parent = args[1] === true ? frameId : args[0];
        children.set(id, typeof parent === 'number' ? parent : 0);
        hub.call('frameOpened', [ id, children.get(id), false ]);
        return;
    }
    if (!children.has(id)) {
        return;
    }
    switch (method) {
    case 'frameGone':
        children.delete(id);
        hub.call('frameGone', [ id ]);
        break;
    case 'external':
        if (typeof args[0] === 'string' && Array.isArray(args[1])) {
            hub.call('externalCall', [ id, args[0], args[1] ]);
        }
        break;
    case 'navigate':
    case 'open': {
        const url = method === 'navigate' ? args[0] : Array.isArray(args[0]) && args[0][0];
        if (typeof url === 'string') {
            hub.call('beforeNavigate', [ id, url ], function(cancel) {
                if (!cancel) {
                    hub.exec(method === 'navigate' ? {frame : id, op : 'allow', url : url}
                                                   : {frame : id, op : 'open', args : args[0]});
                }
            });
        }
        break;
    }
    }
}
// Registered before any page script, so no page listener ever sees a
// subframe's reports (nor the secret they carry).
window.addEventListener(CONFIG.reportEvent, function(ev) {
    ev.stopImmediatePropagation();
    // The envelope, one line, then the arguments.
    const detail = ev.detail;
    const end = typeof detail === 'string' ? detail.indexOf('\n') : -1;
    if (end < 0) {
        return;
    }
    const envelope = parsed(detail.slice(0, end));
    if (envelope && envelope.t === CONFIG.token && typeof envelope.f === 'number' &&
        typeof envelope.m === 'string') {
        fromSubframe(envelope.f, envelope.m, detail.slice(end + 1), envelope.l === 1);
    }
}, true);

// What the page-world part hands over: calls of window.external, the top
// window's close requests, and javascript: URLs about to run, which go ahead
// only once the host has not cancelled them.
doc.addEventListener(CONFIG.requestEvent, function(ev) {
    const detail = ev.detail;
    const request = typeof detail === 'string' ? parsed(detail) : null;
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
        hub.call('closeRequested', [ frameId ]);
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
