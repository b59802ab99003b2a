// Script of the start page (page/home.html).
//
// load_list() runs when the page has loaded: it puts the focus in the search
// box and marks the search key wherever it occurs in the keyword lines.
// viewlink(n) opens entry n in the viewer: it copies the entry's hidden
// fields into the form "mform" and submits it.
//
// Entry data is only ever handled as text (input values, text nodes), never
// parsed as markup.

"use strict";

// The search box of the form "sform".
function search_box() {
  var form = document.forms["sform"];
  if (form && form.elements["key"]) return form.elements["key"];
  return document.querySelector('input[name="key"]');
}

// Wraps every occurrence of `key` in the text below `element` in a
// <mark class="kwmark">, splitting text nodes; the text itself is unchanged.
function mark_key(element, key) {
  var walker = document.createTreeWalker(element, NodeFilter.SHOW_TEXT, null);
  var nodes = [];
  while (walker.nextNode()) nodes.push(walker.currentNode);
  nodes.forEach(function (node) {
    var text = node.nodeValue;
    if (text.indexOf(key) < 0) return;
    var pieces = document.createDocumentFragment();
    var from = 0;
    var at;
    while ((at = text.indexOf(key, from)) >= 0) {
      if (at > from) pieces.appendChild(document.createTextNode(text.substring(from, at)));
      var mark = document.createElement("mark");
      mark.className = "kwmark";
      mark.appendChild(document.createTextNode(key));
      pieces.appendChild(mark);
      from = at + key.length;
    }
    if (from < text.length) pieces.appendChild(document.createTextNode(text.substring(from)));
    node.parentNode.replaceChild(pieces, node);
  });
}

function load_list() {
  var box = search_box();
  if (!box) return;
  box.focus();
  var key = box.value;
  // "ALL" lists every entry; it is not a word to look for.
  if (key === "" || key === "ALL") return;
  var template = document.getElementById("tmplate");
  var lines = document.querySelectorAll('[id="iskwd"]');
  for (var i = 0; i < lines.length; i++) {
    if (template && template.contains(lines[i])) continue;
    mark_key(lines[i], key);
  }
}

function viewlink(n) {
  var form = document.forms["mform"];
  if (!form || !document.getElementById("eid" + n)) return;
  var fields = {
    id: "eid",
    title: "etitle",
    des: "edes",
    keywd: "ekeywd",
    rout: "erout",
    date: "edate",
  };
  for (var name in fields) {
    var source = document.getElementById(fields[name] + n);
    var target = form.elements[name];
    if (target) target.value = source ? source.value : "";
  }
  form.submit();
}
