// One frame document's part of the bridge: its snapshots, the commands
// addressed to its elements, and its reports. The top frame runs it in the
// bridge's own world; subframes run it in the page's world, where a page script
// may replace any built-in or prototype member, so it uses only what qvKit took
// before the first page script ran.

// The built-ins the frame part uses, taken once per top document in each of
// the top's worlds at its creation. A function of one window works on the
// same-origin documents of another, so a subframe uses the top's and costs no
// interface objects of its own.
function qvKit() {
    const describeOwn = Object.getOwnPropertyDescriptor;
    function get(proto, name) { return describeOwn(proto, name).get; }
    function set(proto, name) { return describeOwn(proto, name).set; }
    const input = HTMLInputElement.prototype;
    const anchor = HTMLAnchorElement.prototype;
    const select = HTMLSelectElement.prototype;
    const area = HTMLTextAreaElement.prototype;
    const script = HTMLScriptElement.prototype;
    const performanceObject = window.performance;
    const now = Performance.prototype.now;
    const apply = Reflect.apply;
    return Object.freeze({
        __proto__ : null,
        apply : apply,
        arrayFrom : Array.from,
        ArrayClass : Array,
        Str : String,
        clock : function() { return apply(now, performanceObject, []); },
        listen : EventTarget.prototype.addEventListener,
        charCodeAt : String.prototype.charCodeAt,
        slice : String.prototype.slice,
        byTagName : Document.prototype.getElementsByTagName,
        listLength : get(HTMLCollection.prototype, 'length'),
        listItem : HTMLCollection.prototype.item,
        localName : get(Element.prototype, 'localName'),
        namespaceOf : get(Element.prototype, 'namespaceURI'),
        isConnected : get(Node.prototype, 'isConnected'),
        ownerDocument : get(Node.prototype, 'ownerDocument'),
        defaultView : get(Document.prototype, 'defaultView'),
        docTitle : get(Document.prototype, 'title'),
        click : HTMLElement.prototype.click,
        inputType : get(input, 'type'),
        inputName : get(input, 'name'),
        inputValue : get(input, 'value'),
        setInputValue : set(input, 'value'),
        anchorName : get(anchor, 'name'),
        anchorHref : get(anchor, 'href'),
        selectName : get(select, 'name'),
        selectLength : get(select, 'length'),
        selectValue : get(select, 'value'),
        setSelectValue : set(select, 'value'),
        areaName : get(area, 'name'),
        areaValue : get(area, 'value'),
        setAreaValue : set(area, 'value'),
        scriptText : get(script, 'text'),
        setScriptText : set(script, 'text'),
    });
}

// A frame id: 53 bits, never 0, exact as a double and as a 64-bit integer.
function qvFrameId(random) { return Math.floor(random() * 9007199254740991) + 1; }

// env: {frameId, isTop, parentId, send(method, args, lazy), onGone()}, where
// send and parentId are read when used; windowName is the window's own name
// getter, taken at its creation. Returns {run, alive, start}; it reports
// nothing before start().
function qvOpenFrame(CONFIG, env, kit, windowName) {
    const {apply, arrayFrom, ArrayClass, Str, clock, listen, charCodeAt, slice} = kit;
    const {byTagName, listLength, listItem, localName, namespaceOf, isConnected} = kit;
    const {ownerDocument, defaultView, docTitle, click} = kit;
    const {inputType, inputName, inputValue, setInputValue, anchorName, anchorHref} = kit;
    const {selectName, selectLength, selectValue, setSelectValue} = kit;
    const {areaName, areaValue, setAreaValue, scriptText, setScriptText} = kit;
    const HTML = 'http://www.w3.org/1999/xhtml';

    const doc = document;
    const isTop = env.isTop;
    const loc = window.location; // unforgeable, as are its members
    const frameId = env.frameId;

    // An array of `count` items made by fill(i), without calling anything a page
    // can replace (no iterator, no setter on an index).
    function list(count, fill) {
        return apply(arrayFrom, ArrayClass,
                     [ {__proto__ : null, length : count}, function(_, i) { return fill(i); } ]);
    }

    // The element lists of the last snapshots, by sequence modulo the count.
    const kept = list(CONFIG.keptSnapshots, function() { return null; });
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
        const last = apply(charCodeAt, text, [ end - 1 ]);
        if (last >= 0xd800 && last <= 0xdbff) {
            end -= 1; // never split a surrogate pair
        }
        return [ apply(slice, text, [ 0, end ]), true ];
    }

    // Kinds as the host numbers them (ElementKind).
    const OTHER = 0, INPUT_TEXT = 1, INPUT_BUTTON = 2, ANCHOR = 3, SELECT = 4, SCRIPT = 5;

    function inputKind(type) {
        switch (type) {
        case 'text':
        case 'password':
        case 'hidden':
            return INPUT_TEXT;
        case 'submit':
        case 'button':
        case 'reset':
            return INPUT_BUTTON;
        }
        return OTHER;
    }

    // An element goes out as 0 (nothing the host reads) or as
    // [kind, name, type, href, value, optionCount, text, truncated].
    function describe(el, budget) {
        if (apply(namespaceOf, el, []) !== HTML) {
            return 0;
        }
        const tag = apply(localName, el, []);
        let kind = OTHER, name = '', type = '', href = '', value = '', count = 0, text = '';
        let truncated = false;
        const A = CONFIG.maxAttributeChars;
        function take(v, limit) {
            const r = cut(v, limit);
            truncated = truncated || r[1];
            return r[0];
        }
        switch (tag) {
        case 'input':
            type = take(apply(inputType, el, []), A);
            kind = inputKind(type);
            name = take(apply(inputName, el, []), A);
            value = take(apply(inputValue, el, []), A);
            break;
        case 'a':
            kind = ANCHOR;
            name = take(apply(anchorName, el, []), A);
            href = take(apply(anchorHref, el, []), A);
            break;
        case 'select':
            kind = SELECT;
            name = take(apply(selectName, el, []), A);
            value = take(apply(selectValue, el, []), A);
            count = apply(selectLength, el, []);
            break;
        case 'script': {
            kind = SCRIPT;
            const limit = CONFIG.maxScriptChars < budget.scriptChars ? CONFIG.maxScriptChars
                                                                     : budget.scriptChars;
            text = take(apply(scriptText, el, []), limit);
            budget.scriptChars -= text.length;
            break;
        }
        case 'textarea':
            name = take(apply(areaName, el, []), A);
            value = take(apply(areaValue, el, []), A);
            break;
        default:
            return 0;
        }
        return [ kind, name, type, href, value, count, text, truncated ];
    }

    function snapshot(type) {
        const started = clock();
        const all = apply(byTagName, doc, [ '*' ]);
        const total = apply(listLength, all, []);
        const count = total < CONFIG.maxElements ? total : CONFIG.maxElements;
        const refs = list(count, function(i) { return apply(listItem, all, [ i ]); });
        const budget = {scriptChars : CONFIG.maxTotalScriptChars};
        const elements = list(count, function(i) { return describe(refs[i], budget); });
        sequence += 1;
        kept[sequence % kept.length] = {seq : sequence, refs : refs};
        return {
            type : type,
            frame : frameId,
            parent : env.parentId,
            top : isTop,
            seq : sequence,
            name : cut(apply(windowName, window, []), CONFIG.maxAttributeChars)[0],
            title : cut(apply(docTitle, doc, []), CONFIG.maxAttributeChars)[0],
            href : loc.href,
            host : loc.host,
            protocol : loc.protocol,
            truncated : total > count,
            elements : elements,
            ms : clock() - started,
        };
    }

    function alive() { return apply(defaultView, doc, []) !== null && !gone; }

    // The element a command names, if it is still in this document.
    function element(cmd) {
        const seq = cmd.seq, index = cmd.index;
        if (typeof seq !== 'number' || typeof index !== 'number') {
            return null;
        }
        const entry = kept[seq % kept.length];
        const known = entry && entry.seq === seq && index >= 0 && index < entry.refs.length;
        const el = known ? entry.refs[index] : undefined;
        if (!el || !apply(isConnected, el, []) || apply(ownerDocument, el, []) !== doc ||
            apply(namespaceOf, el, []) !== HTML) {
            return null;
        }
        return el;
    }

    function setValue(el, text) {
        switch (apply(localName, el, [])) {
        case 'input':
            apply(setInputValue, el, [ text ]);
            return true;
        case 'select':
            apply(setSelectValue, el, [ text ]);
            return true;
        case 'textarea':
            apply(setAreaValue, el, [ text ]);
            return true;
        }
        return false;
    }

    function run(cmd) {
        if (!alive()) {
            return false;
        }
        if (cmd.op === 'reload') {
            loc.reload();
            return true;
        }
        const el = element(cmd);
        if (!el) {
            return false;
        }
        switch (cmd.op) {
        case 'value':
            return setValue(el, Str(cmd.text));
        case 'click':
            apply(click, el, []);
            return true;
        case 'scriptText':
            if (apply(localName, el, []) !== 'script') {
                return false;
            }
            apply(setScriptText, el, [ Str(cmd.text) ]);
            return true;
        }
        return false;
    }

    function start() {
        apply(listen, doc, [
            'DOMContentLoaded',
            function() {
                // Lazy: its document-complete mostly follows at once.
                env.send('frameEvent', [ snapshot('navigateComplete') ], true);
                // Added now, so the page's own load handlers of parse time run first.
                apply(listen, window, [
                    'load',
                    function() { env.send('frameEvent', [ snapshot('documentComplete') ]); },
                    {__proto__ : null, once : true}
                ]);
            },
            {__proto__ : null, once : true}
        ]);

        apply(listen, window, [
            'pagehide',
            function() {
                if (gone) {
                    return;
                }
                gone = true;
                for (let i = 0; i < kept.length; i++) {
                    kept[i] = null;
                }
                env.onGone(frameId);
                env.send('frameGone', [ frameId ]);
            }
        ]);
    }

    return {run : run, alive : alive, start : start};
}
