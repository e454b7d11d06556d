// The page: reads the chosen cards into a worker that runs the library, shows the
// summary page (as --summary --format=html writes it, without the report blocks) with
// the library's summary in a frame, and around it the card view (report, advice and
// the changed card's report, field listing, bytes) and the downloads.
(function () {
  const $ = (id) => document.getElementById(id);
  const utf8 = new TextDecoder("utf-8");
  const hexRowBytes = 16;
  const hexLimit = 256 * 1024;  // more bytes than this make the view sluggish
  const filesPerRead = 1000;

  // The worker and its replies, one promise per request.
  const worker = new Worker(URL.createObjectURL(new Blob([workerSource], { type: "text/javascript" })));
  const pending = new Map();
  let nextId = 1;
  worker.onmessage = (event) => {
    const { id, result, error, outOfMemory } = event.data;
    const request = pending.get(id);
    pending.delete(id);
    if (error !== undefined) request.reject(Object.assign(new Error(error), { outOfMemory }));
    else request.resolve(result);
  };
  const ask = (message, transfer = []) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    worker.postMessage({ id, ...message }, transfer);
  });
  const run = (args) => ask({ kind: "run", args, without: [...tooLarge] });

  // Cards the library's memory cannot take (a card of some megabytes nested to the
  // depth bound gives a report of gigabytes). A run of many cards that runs out of
  // memory is tried again without them, found among the large files one at a time;
  // the page lists them apart, and every other card shows.
  const tooLarge = new Set();
  const probedSize = 1 << 20;  // smaller cards cannot fill the memory by themselves
  const outOfMemoryText = "大きすぎて、このページでは解析できません (ブラウザーのメモリが足りません)。コンソール版の mornstave で解析してください。";
  async function runAll(argsFor, paths) {
    try {
      return await run(argsFor(paths));
    } catch (error) {
      if (!error.outOfMemory) throw error;
    }
    const large = [...chosen].filter(([path, file]) => file.size >= probedSize && !tooLarge.has(path))
      .sort((a, b) => b[1].size - a[1].size);
    for (const [path] of large) {
      try {
        await ask({ kind: "run", args: argsFor([path]), without: [] });
      } catch (error) {
        if (!error.outOfMemory) throw error;
        tooLarge.add(path);
      }
    }
    showTooLarge();
    return run(argsFor(paths));
  }
  function showTooLarge() {
    const list = $("too-large-list");
    list.replaceChildren();
    for (const path of [...tooLarge].sort()) {
      const item = document.createElement("li");
      const link = document.createElement("button");
      link.type = "button";
      link.className = "link";
      link.textContent = path;
      link.addEventListener("click", () => openCard(path));
      const message = document.createElement("span");
      message.className = "message";
      message.textContent = ": " + outOfMemoryText;
      item.append(link, message);
      list.appendChild(item);
    }
    $("too-large").hidden = tooLarge.size === 0;
  }

  // What was chosen: each file by its relative path, and the top-level names.
  let chosen = new Map();
  let roots = [];
  let summary = null;  // the summary's JSON, as the library wrote it

  function status(text, done, total) {
    $("status").textContent = text;
    const bar = $("progress");
    bar.hidden = done === undefined;
    if (total) { bar.max = total; bar.value = done; } else bar.removeAttribute("value");
  }

  // Moments of the last analysis, for whoever measures the page.
  const timings = {};
  window.mornstaveTimings = timings;

  async function analyse(files) {
    if (files.length === 0) return;
    timings.chosen = performance.now();
    chosen = new Map(files.map((file) => [file.path, file.file]));
    tooLarge.clear();
    showTooLarge();
    roots = [...new Set(files.map((file) => file.path.split("/")[0]))].sort();
    $("downloads").hidden = true;
    // Files read one by one cost the browser a round trip each: a blob made of many is
    // read in one, and its bytes go to the worker without a copy. Each file is a slice.
    status(`読み込み中 0 / ${files.length}`, 0, files.length);
    await ask({ kind: "clear" });
    let done = 0;
    const reads = [];
    for (let first = 0; first < files.length; first += filesPerRead) {
      const some = files.slice(first, first + filesPerRead);
      reads.push(new Blob(some.map((file) => file.file)).arrayBuffer().then((bytes) => {
        done += some.length;
        status(`読み込み中 ${done} / ${files.length}`, done, files.length);
        return ask({ kind: "add", bytes, paths: some.map((file) => file.path), sizes: some.map((file) => file.file.size) }, [bytes]);
      }));
    }
    await Promise.all(reads);
    timings.read = performance.now();
    status(`解析中 (${files.length}個のファイル)…`, 0);
    summary = await ask({ kind: "summary", args: roots, without: [] });
    timings.analysed = performance.now();
    const frame = $("summary");
    frame.srcdoc = summaryPageOf(utf8.decode(summary));
    frame.hidden = false;
    $("start").hidden = true;
    status(`${files.length}個のファイルを読みました。`);
    $("downloads").hidden = false;
  }

  // The frame shows the summary page filled with the library's summary, as the console
  // fills it, but without the cards' report blocks, most of its bytes (and for a large
  // card more than the memory holds): the card view asks the library instead. The
  // saved page keeps them. In the script element '<' may only stand escaped.
  function summaryPageOf(json) {
    return summaryPageParts[0] + json.replace(/</g, "\\u003c") + summaryPageParts[1];
  }

  // The summary page opens a card in a dialog of its own, marked with the card's path;
  // here the card view takes its place. Failures open the view too.
  $("summary").addEventListener("load", () => {
    // Drawn: the first frame after the summary page's own script has run.
    requestAnimationFrame(() => setTimeout(() => { timings.drawn = performance.now(); }));
    const doc = $("summary").contentDocument;
    const dialog = doc && doc.getElementById("card");
    if (!dialog) return;
    new MutationObserver(() => {
      if (!dialog.open) return;
      dialog.close();
      openCard(dialog.dataset.path);
    }).observe(dialog, { attributes: true, attributeFilter: ["open"] });
    // The summary page lists the failures in the summary's order, one item each.
    const failures = JSON.parse(utf8.decode(summary)).failures;
    const items = doc.querySelectorAll("#failures li");
    if (items.length !== failures.length) failures.length = 0;
    failures.forEach(({ path }, i) => {
      const item = items[i];
      if (!chosen.has(path)) return;
      item.style.cursor = "pointer";
      item.title = "クリックするとカードを表示します";
      item.addEventListener("click", () => openCard(path));
    });
    document.body.dataset.ready = "true";
  });

  async function openCard(path) {
    const file = chosen.get(path);
    if (!file) return;
    // Each part on its own: a card too large for one of them still shows the others.
    const one = (args) => ask({ kind: "run", args, without: [] }).catch((error) => ({ error }));
    const [report, listing, advised, buffer] = await Promise.all([
      one(["--", path]), one(["--explain", "--format=json", "--", path]), one(["--format=json", "--advise", "--", path]),
      file.arrayBuffer()]);
    const problem = (part) => (part.error.outOfMemory ? outOfMemoryText : `エラー: ${part.error.message}`);
    $("card-path").textContent = path;
    $("card-report").textContent = report.error ? problem(report) : utf8.decode(report.stdout) + utf8.decode(report.stderr);
    showAdvice(path, advised.error ? undefined : (JSON.parse(utf8.decode(advised.stdout)).cards[0] || {}).advice);
    showBytes(new Uint8Array(buffer));
    if (listing.error) {
      $("card-fields").replaceChildren();
      $("card-fields").textContent = problem(listing);
    } else showFields(JSON.parse(utf8.decode(listing.stdout)).cards[0]);
    if (!$("card-view").open) $("card-view").showModal();
  }

  // The card's advice on balance (its JSON entry's, from --advise), one button each;
  // choosing one puts the report of the card so changed, the library's, beside the
  // card's own. A card that could not be read has none to list.
  let latestChoice = 0;  // only the latest choice's report shows, whatever came between
  function showAdvice(path, advice) {
    ++latestChoice;
    const list = $("card-advice-list");
    list.replaceChildren();
    showAdvised(null);
    $("card-advice").hidden = advice === undefined;
    $("card-no-advice").hidden = !advice || advice.length > 0;
    $("card-advice-hint").hidden = !advice || advice.length === 0;
    (advice || []).forEach((piece, index) => {
      const item = document.createElement("li");
      const button = document.createElement("button");
      button.type = "button";
      button.className = "link";
      button.textContent = piece.text;
      button.setAttribute("aria-pressed", "false");
      button.addEventListener("click", () => chooseAdvice(path, index, button));
      item.appendChild(button);
      list.appendChild(item);
    });
  }

  async function chooseAdvice(path, index, button) {
    const choice = ++latestChoice;
    for (const other of $("card-advice-list").querySelectorAll("button")) other.setAttribute("aria-pressed", String(other === button));
    let text;
    try {
      const result = await ask({ kind: "advised", path, index, without: [] });
      text = result.error !== undefined ? `エラー: ${result.error}` : utf8.decode(result.report);
    } catch (error) {
      text = error.outOfMemory ? outOfMemoryText : `エラー: ${error.message}`;
    }
    if (choice !== latestChoice) return;
    $("card-advised-title").textContent = `提案 ${index + 1} の変更をしたカード`;
    showAdvised(text);
  }

  // The changed card's report beside the card's own, or only the card's own (null).
  function showAdvised(text) {
    $("card-advised").hidden = text === null;
    $("card-advised-report").textContent = text ?? "";
    $("card-body").classList.toggle("comparing", text !== null);
  }

  // One item per field of the listing's JSON (--explain --format=json): where it lies
  // in the file (in the hex view's own addresses), its record path and the value as
  // the listing shows it; a broken card ends with the reading error, and its byte is
  // marked in the hex view.
  function showFields(card) {
    const list = $("card-fields");
    list.replaceChildren();
    const part = (text, className) => {
      const span = document.createElement("span");
      span.className = className;
      span.textContent = text;
      return span;
    };
    if (!card.fields) {  // the file could not be opened
      const item = document.createElement("li");
      item.className = "error";
      item.textContent = card.error;
      list.appendChild(item);
      return;
    }
    for (const field of card.fields) {
      const item = document.createElement("li");
      item.append(part(hex(field.offset, 8), "at"), part(String(field.size), "size"), part(field.path, "field"),
                  part(field.shown, "value"));
      if (field.meaning !== null) item.append(part(`(${field.meaning})`, "meaning"));
      item.dataset.offset = field.offset;
      item.dataset.size = field.size;
      item.tabIndex = 0;
      item.addEventListener("click", () => selectField(item));
      item.addEventListener("keydown", (event) => { if (event.key === "Enter") selectField(item); });
      list.appendChild(item);
    }
    const end = card.end;
    if (!end.complete) {
      const item = document.createElement("li");
      item.className = "error";
      item.append(part(hex(end.offset, 8), "at"), part(end.error + (end.location ? ` (${end.location.path})` : ""), "value"));
      const byte = $("card-hex").querySelector(`span.b[data-offset="${end.offset}"]`);
      if (byte) { byte.classList.add("stop"); byte.title = "ここで読み込みが止まりました"; }
      item.addEventListener("click", () => byte && byte.scrollIntoView({ block: "center" }));
      list.appendChild(item);
    }
  }

  function selectField(item) {
    for (const old of document.querySelectorAll("#card-fields li.selected, #card-hex span.sel")) old.classList.remove("selected", "sel");
    item.classList.add("selected");
    const offset = Number(item.dataset.offset), size = Number(item.dataset.size);
    const bytes = $("card-hex").querySelectorAll("span.b");
    for (let i = offset; i < offset + size && i < bytes.length; ++i) bytes[i].classList.add("sel");
    if (bytes[offset]) bytes[offset].scrollIntoView({ block: "nearest" });
  }

  // The hex view's addresses and bytes, in the page's own view of the file.
  const hex = (value, width) => value.toString(16).toUpperCase().padStart(width, "0");

  // Built from numbers only: no text of the card enters the markup.
  function showBytes(bytes) {
    const shown = Math.min(bytes.length, hexLimit);
    const rows = [];
    for (let row = 0; row < shown; row += hexRowBytes) {
      const cells = [`<span class="o">${hex(row, 8)}</span>`];
      for (let i = row; i < Math.min(row + hexRowBytes, shown); ++i) cells.push(`<span class="b" data-offset="${i}">${hex(bytes[i], 2)}</span>`);
      rows.push(cells.join(" "));
    }
    $("card-hex").innerHTML = rows.join("\n");
    $("card-hex-note").textContent = `${bytes.length}バイト` + (shown < bytes.length ? ` (先頭の${shown}バイトを表示)` : "");
  }

  $("card-close").addEventListener("click", () => $("card-view").close());

  // Downloads: made by the library from the same files, as the console would write them.
  const downloads = {
    "text-utf8": { args: ["--encoding=utf-8"], name: "report.txt", type: "text/plain;charset=utf-8" },
    "text-cp932": { args: ["--encoding=cp932"], name: "report-cp932.txt", type: "text/plain;charset=shift_jis" },
    json: { args: ["--format=json"], name: "cards.json", type: "application/json" },
    csv: { args: ["--summary", "--format=csv"], name: "summary.csv", type: "text/csv" },
    html: { args: ["--summary", "--format=html"], name: "summary.html", type: "text/html" },
  };
  function save(bytes, name, type) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
  }
  for (const button of document.querySelectorAll("[data-download]")) {
    button.addEventListener("click", async () => {
      const kind = button.dataset.download;
      const { args, name, type } = downloads[kind];
      status("保存する内容を作成中…", 0);
      try {
        const result = await runAll((paths) => [...args, "-r", "--", ...paths], roots);
        save(result.stdout, name, type);
        status(`${chosen.size}個のファイルを読みました。` + (tooLarge.size ? "解析できなかったカードは保存した内容にもありません。" : ""));
      } catch (error) { failed(error); }
    });
  }

  // Choosing: files, a folder with its subfolders, or either dropped on the page.
  const picked = (input) => [...input.files].map((file) => ({ path: file.webkitRelativePath || file.name, file }));
  for (const id of ["pick-files", "pick-folder"]) {
    $(id).addEventListener("change", (event) => { analyse(picked(event.target)).catch(failed); event.target.value = ""; });
  }
  async function walk(entry, found) {
    if (entry.isFile) {
      found.push({ path: entry.fullPath.replace(/^\//, ""), file: await new Promise((resolve, reject) => entry.file(resolve, reject)) });
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
        if (batch.length === 0) break;
        for (const child of batch) await walk(child, found);
      }
    }
    return found;
  }
  document.addEventListener("dragover", (event) => { event.preventDefault(); document.body.classList.add("dragging"); });
  document.addEventListener("dragleave", () => document.body.classList.remove("dragging"));
  document.addEventListener("drop", async (event) => {
    event.preventDefault();
    document.body.classList.remove("dragging");
    const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry()).filter(Boolean);
    const found = [];
    try {
      for (const entry of entries) await walk(entry, found);
      await analyse(found);
    } catch (error) { failed(error); }
  });
  // 比較: a second version's folder, compared with the one chosen (--diff), whose page
  // the frame shows. Its files go in under a folder of their own.
  $("pick-compare").addEventListener("change", async (event) => {
    const files = picked(event.target);
    event.target.value = "";
    if (files.length === 0) return;
    if (roots.length !== 1) { status("比較するには、フォルダを一つ選んでからにしてください。"); return; }
    try {
      const prefix = "#compare/";
      const bytes = await new Blob(files.map((file) => file.file)).arrayBuffer();
      await ask({ kind: "add", bytes, paths: files.map((file) => prefix + file.path), sizes: files.map((file) => file.file.size) }, [bytes]);
      const other = files[0].path.split("/")[0];
      const result = await run(["--diff", "-r", "--format=html", "--", roots[0], prefix + other]);
      $("summary").srcdoc = utf8.decode(result.stdout);
      status(`${roots[0]} と ${other} を比べました。`);
    } catch (error) { failed(error); }
  });
  function failed(error) { status(error.outOfMemory ? "ブラウザーのメモリが足りません。カードを分けて選んでください。" : `エラー: ${error.message}`); }
  worker.onerror = (event) => failed(new Error(event.message || "ワーカーを開始できません"));
})();
